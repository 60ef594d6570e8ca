// Sequential LHA archive reader: walks member headers and decodes members from an
// InputStream, checking each member's CRC-16. Memory use does not grow with member size.
#pragma once

#include "error.h"
#include "member.h"
#include "stream.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace lha {

class ArchiveReader {
public:
    explicit ArchiveReader(InputStream& in);

    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Reads the next member header into `info`, first skipping whatever is left of the
    // current member's data. At the end of the archive (a 0 byte, or the input ending where
    // a header would start) returns Ok and atEnd() becomes true. Once a call fails, later
    // calls return the same error: the position in the archive is lost.
    Error next(MemberInfo& info);

    bool atEnd() const { return atEnd_; }

    // Decodes the current member into `out`, checking its length and CRC. `progress` gets
    // the count of bytes written so far after each chunk. Returns DataCrc when the bytes
    // decode but do not match, UnknownMethod for a method this library lacks (the member
    // can still be skipped or copied raw), BadArgument with no current member or when its
    // data was already consumed. A folder extracts as nothing.
    Error extract(OutputStream& out, std::function<void(std::uint64_t done)> progress = {});

    // Members claiming more than `bytes` of original data are listed but not extracted:
    // extract() returns TooLarge. A few bytes of -lh5- can legitimately claim gigabytes, so
    // a caller that cannot afford that sets a limit. Default: no limit.
    void setSizeLimit(std::uint64_t bytes) { sizeLimit_ = bytes; }

    // Passes over the current member's data; next() does this by itself.
    Error skip();

    // Copies the current member's compressed bytes unchanged to `out`.
    Error copyRaw(OutputStream& out);

    // The header most recently returned by next().
    const MemberInfo& current() const { return info_; }

    // Offset in the input of the current member's header, and of the end of the archive
    // data read so far (the archive's end marker included once atEnd()).
    std::uint64_t headerOffset() const { return headerOffset_; }
    std::uint64_t position() const { return position_; }

private:
    // Passes reads through while counting them and stopping at the member's data end.
    class MemberData final : public InputStream {
    public:
        explicit MemberData(ArchiveReader& r) : r_(r) {}
        std::size_t read(std::uint8_t* buffer, std::size_t size) override;
        bool skip(std::uint64_t size) override;
        bool failed() const override { return r_.in_.failed(); }

    private:
        ArchiveReader& r_;
    };

    Error fail(Error e);

    InputStream& in_;
    MemberInfo info_;
    bool haveMember_ = false;
    bool dataTouched_ = false;
    bool atEnd_ = false;
    Error sticky_ = Error::Ok;
    std::uint64_t dataLeft_ = 0;
    std::uint64_t headerOffset_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t sizeLimit_ = ~std::uint64_t{0};
    std::vector<std::uint8_t> window_;
};

}  // namespace lha
