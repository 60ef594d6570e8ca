// ArchiveReader: header walk, member data bookkeeping and CRC checking around the decoders.
#include "reader.h"

#include "decode_method.h"
#include "decode_window.h"
#include "header_read.h"

#include <algorithm>

namespace lha {

// Reads at most what is left of the member's data.
std::size_t ArchiveReader::MemberData::read(std::uint8_t* buffer, std::size_t size) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, r_.dataLeft_));
    if (want == 0) return 0;
    const std::size_t got = r_.in_.read(buffer, want);
    r_.dataLeft_ -= got;
    r_.position_ += got;
    return got;
}

// Skips within the member's data only.
bool ArchiveReader::MemberData::skip(std::uint64_t size) {
    if (size > r_.dataLeft_) return false;
    // Count what a failing skip may have consumed as gone: the position is lost anyway.
    const bool ok = r_.in_.skip(size);
    r_.dataLeft_ -= size;
    r_.position_ += size;
    return ok;
}

ArchiveReader::ArchiveReader(InputStream& in) : in_(in) {}

// Records an error that loses the archive position; every later call returns it.
Error ArchiveReader::fail(Error e) {
    sticky_ = e;
    haveMember_ = false;
    return e;
}

Error ArchiveReader::next(MemberInfo& info) {
    if (sticky_ != Error::Ok) return sticky_;
    if (atEnd_) return Error::Ok;
    if (dataLeft_ > 0) {
        if (Error e = skip(); e != Error::Ok) return e;
    }
    haveMember_ = false;
    headerOffset_ = position_;
    std::uint8_t first = 0;
    const std::size_t got = in_.read(&first, 1);
    if (got == 0) {
        if (in_.failed()) return fail(Error::ReadFailed);
        atEnd_ = true;
        return Error::Ok;
    }
    ++position_;
    if (first == 0) {
        atEnd_ = true;
        return Error::Ok;
    }
    // Count header bytes by the data that follows: the header reader takes exactly them.
    class Counting final : public InputStream {
    public:
        Counting(InputStream& in, std::uint64_t& n) : in_(in), n_(n) {}
        std::size_t read(std::uint8_t* b, std::size_t s) override {
            const std::size_t g = in_.read(b, s);
            n_ += g;
            return g;
        }
        bool failed() const override { return in_.failed(); }

    private:
        InputStream& in_;
        std::uint64_t& n_;
    } counting(in_, position_);
    std::uint64_t dataSize = 0;
    MemberInfo parsed;
    if (Error e = readMemberHeader(counting, first, parsed, dataSize); e != Error::Ok) return fail(e);
    info_ = std::move(parsed);
    dataLeft_ = dataSize;
    dataTouched_ = false;
    haveMember_ = true;
    info = info_;
    return Error::Ok;
}

Error ArchiveReader::extract(OutputStream& out, std::function<void(std::uint64_t done)> progress) {
    if (sticky_ != Error::Ok) return sticky_;
    if (!haveMember_ || dataTouched_) return Error::BadArgument;
    dataTouched_ = true;
    const DecodeMethod method = methodFromId(info_.method);
    if (method == DecodeMethod::Unknown) return Error::UnknownMethod;
    if (method == DecodeMethod::Directory) return Error::Ok;
    if (info_.originalSize > sizeLimit_) return Error::TooLarge;

    MemberData data(*this);
    OutputWindow window(window_, out, info_.originalSize, progress);
    const Error e = decodeMember(method, data, info_.compressedSize, window);
    if (e == Error::Truncated || e == Error::ReadFailed) return fail(e);
    if (e != Error::Ok) return e;
    if (window.done() != info_.originalSize) return Error::Corrupt;
    if (info_.hasCrc && window.crc() != info_.crc) return Error::DataCrc;
    return Error::Ok;
}

Error ArchiveReader::skip() {
    if (sticky_ != Error::Ok) return sticky_;
    if (dataLeft_ == 0) return Error::Ok;
    MemberData data(*this);
    if (!data.skip(dataLeft_)) return fail(in_.failed() ? Error::ReadFailed : Error::Truncated);
    dataTouched_ = true;
    return Error::Ok;
}

Error ArchiveReader::copyRaw(OutputStream& out) {
    if (sticky_ != Error::Ok) return sticky_;
    if (!haveMember_ || dataTouched_) return Error::BadArgument;
    dataTouched_ = true;
    MemberData data(*this);
    std::vector<std::uint8_t> buf(64 * 1024);
    while (dataLeft_ > 0) {
        const std::size_t got = data.read(buf.data(), buf.size());
        if (got == 0) return fail(in_.failed() ? Error::ReadFailed : Error::Truncated);
        if (!out.write(buf.data(), got)) return Error::WriteFailed;
    }
    return Error::Ok;
}

}  // namespace lha
