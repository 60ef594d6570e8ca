// Archive writer pipeline: the caller's thread reads members into segments and writes finished
// segments in order; worker threads compress segments. At most a fixed number of segments are
// in flight, so memory does not grow with member size.
#include "writer.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>

#include "bit_writer.h"
#include "crc16.h"
#include "header_write.h"
#include "threads.h"

namespace lha {

bool MemoryOutput::write(const std::uint8_t* data, std::size_t size) {
    if (pos_ + size > data_.size()) data_.resize(pos_ + size);
    if (size) std::memcpy(data_.data() + pos_, data, size);
    pos_ += size;
    return true;
}

bool MemoryOutput::seek(std::uint64_t offset) {
    if (offset > data_.size()) return false;
    pos_ = static_cast<std::size_t>(offset);
    return true;
}

bool MemoryOutput::truncate() {
    data_.resize(pos_);
    return true;
}

namespace {

const char* methodName(Method m) {
    switch (m) {
    case Method::Lh5: return "-lh5-";
    case Method::Lh6: return "-lh6-";
    case Method::Lh7: break;
    }
    return "-lh7-";
}

// What the writer keeps of a member while its segments are in flight.
struct Member {
    MemberInfo info;
    OpenInput open;
    bool directory = false;
    std::uint16_t crc = 0;
    std::uint64_t size = 0;
    std::uint64_t headerPos = 0;
    std::uint64_t dataPos = 0;
    std::uint64_t written = 0;  // original bytes whose segments are written
    std::uint8_t carry = 0;     // pending high bits of the bit stream
    unsigned carryBits = 0;
};

struct Job {
    std::shared_ptr<Member> member;
    std::vector<std::uint8_t> data;  // primer bytes, then the segment's own bytes
    std::size_t primer = 0;
    bool first = false;
    bool last = false;
    std::vector<std::uint8_t> bits;  // compressed segment, last byte partial when tailBits
    unsigned tailBits = 0;
    bool done = false;
};

constexpr std::size_t kFirstRead = std::size_t{64} << 10;  // a segment's first read

// Reads until `size` bytes or the end; returns the count (0 and failed() on errors).
std::size_t readFull(InputStream& in, std::uint8_t* p, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        std::size_t n = in.read(p + got, size - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

}  // namespace

struct ArchiveWriter::Impl {
    SeekableOutput& out;
    WriterOptions opt;
    WriteProgress progress;
    Error error = Error::Ok;
    std::string errorPath;
    bool finished = false;
    std::uint64_t end = 0;  // logical end of the archive so far
    std::unique_ptr<SegmentEncoder> localEncoder;
    std::deque<std::unique_ptr<Job>> inFlight;  // in archive order
    std::size_t maxInFlight;
    std::vector<std::uint8_t> scratch;

    Mutex mu;
    CondVar workAvailable, jobDone;
    std::deque<Job*> pending;  // not yet taken by a worker
    bool stopping = false;
    std::vector<Thread> workers;

    Impl(SeekableOutput& o, const WriterOptions& options) : out(o), opt(options) {
        unsigned threads = opt.threads ? opt.threads : hardwareThreads();
        if (opt.segmentSize == 0) opt.segmentSize = std::size_t{1} << 20;
        maxInFlight = opt.maxSegmentsInFlight ? opt.maxSegmentsInFlight : 2 * threads + 2;
        end = out.position();
        if (threads > 1)
            for (unsigned i = 0; i < threads; ++i) workers.emplace_back([this] { workerLoop(); });
    }

    ~Impl() {
        {
            std::lock_guard<Mutex> lock(mu);
            stopping = true;
        }
        workAvailable.notifyAll();
        for (Thread& t : workers) t.join();
    }

    static void compress(SegmentEncoder& enc, Job& job) {
        BitWriter bw;
        bw.reserve((job.data.size() - job.primer) / 2 + 64);
        enc.encode(job.data.data(), job.primer, job.data.size(), bw);
        job.bits = bw.take(job.tailBits);
    }

    void workerLoop() {
        SegmentEncoder enc(opt.method, opt.level);
        std::unique_lock<Mutex> lock(mu);
        for (;;) {
            workAvailable.wait(mu, [this] { return stopping || !pending.empty(); });
            if (stopping) return;
            Job* job = pending.front();
            pending.pop_front();
            lock.unlock();
            compress(enc, *job);
            lock.lock();
            job->done = true;
            jobDone.notifyAll();
        }
    }

    Error fail(Error e, const std::string& path) {
        if (error == Error::Ok) {
            error = e;
            errorPath = path;
        }
        return error;
    }

    bool put(const std::uint8_t* p, std::size_t n) {
        if (n == 0) return true;
        if (!out.write(p, n)) return false;
        end += n;
        return true;
    }

    void submit(std::unique_ptr<Job> job) {
        Job* raw = job.get();
        bool compressJob = !raw->member->directory;
        {
            std::lock_guard<Mutex> lock(mu);
            inFlight.push_back(std::move(job));
            if (!compressJob) raw->done = true;
            else if (!workers.empty()) pending.push_back(raw);
        }
        if (compressJob && !workers.empty()) workAvailable.notifyOne();
        while (inFlight.size() > maxInFlight && error == Error::Ok) writeOldest();
    }

    void drain() {
        while (!inFlight.empty() && error == Error::Ok) writeOldest();
    }

    // Waits for (or does) the oldest job's compression and writes it out.
    void writeOldest() {
        Job& job = *inFlight.front();
        if (workers.empty()) {
            if (!job.done) {
                if (!localEncoder) localEncoder = std::make_unique<SegmentEncoder>(opt.method, opt.level);
                compress(*localEncoder, job);
                job.done = true;
            }
        } else {
            std::lock_guard<Mutex> lock(mu);
            jobDone.wait(mu, [&] { return job.done; });
        }
        consume(job);
        inFlight.pop_front();
    }

    Error writeHeader(const MemberInfo& info) {
        std::vector<std::uint8_t> h;
        Error e = buildLevel2Header(info, h);
        if (e != Error::Ok) return e;
        return put(h.data(), h.size()) ? Error::Ok : Error::WriteFailed;
    }

    MemberInfo headerInfo(const Member& m, const char* method, std::uint64_t compressed) const {
        MemberInfo info = m.info;
        info.method = method;
        info.originalSize = m.size;
        info.compressedSize = compressed;
        info.crc = m.crc;
        return info;
    }

    // Appends a segment's bits to the member's stream, shifting when the stream is mid-byte.
    bool appendBits(Member& m, const std::vector<std::uint8_t>& b, unsigned tailBits) {
        std::size_t full = tailBits ? b.size() - 1 : b.size();
        if (m.carryBits == 0) {
            if (!put(b.data(), full)) return false;
            if (tailBits) {
                m.carry = b.back();
                m.carryBits = tailBits;
            }
            return true;
        }
        const unsigned s = m.carryBits;
        scratch.resize(full);
        unsigned carry = m.carry;
        for (std::size_t i = 0; i < full; ++i) {
            scratch[i] = static_cast<std::uint8_t>(carry | (b[i] >> s));
            carry = (b[i] << (8 - s)) & 0xFFu;
        }
        if (!put(scratch.data(), full)) return false;
        if (tailBits) {
            unsigned x = b.back();
            unsigned merged = carry | (x >> s);
            if (s + tailBits >= 8) {
                std::uint8_t byte = static_cast<std::uint8_t>(merged);
                if (!put(&byte, 1)) return false;
                carry = (x << (8 - s)) & 0xFFu;
                m.carryBits = s + tailBits - 8;
            } else {
                carry = merged;
                m.carryBits = s + tailBits;
            }
        }
        m.carry = static_cast<std::uint8_t>(carry);
        return true;
    }

    void report(Member& m) {
        if (progress) progress(m.info.path, m.written);
    }

    void consume(Job& job) {
        Member& m = *job.member;
        const std::string& path = m.info.path;
        if (m.directory) {
            MemberInfo info = m.info;
            info.method = "-lhd-";
            info.originalSize = info.compressedSize = 0;
            info.crc = 0;
            info.attributes = static_cast<std::uint8_t>(info.attributes | kAttrDirectory);
            if (Error e = writeHeader(info); e != Error::Ok) fail(e, path);
            else report(m);
            return;
        }
        const std::size_t own = job.data.size() - job.primer;
        if (job.first) m.headerPos = end;
        if (job.first && job.last) {
            // Whole member in memory: choose the method before writing anything.
            bool stored = m.size == 0 || job.bits.size() >= m.size;
            Error e = writeHeader(headerInfo(m, stored ? "-lh0-" : methodName(opt.method),
                                             stored ? m.size : job.bits.size()));
            if (e != Error::Ok) { fail(e, path); return; }
            bool ok = stored ? put(job.data.data() + job.primer, own) : put(job.bits.data(), job.bits.size());
            if (!ok) { fail(Error::WriteFailed, path); return; }
            m.written = m.size;
            report(m);
            return;
        }
        if (job.first) {
            // Sizes are filled in once the last segment is written.
            if (Error e = writeHeader(headerInfo(m, methodName(opt.method), 0)); e != Error::Ok) { fail(e, path); return; }
            m.dataPos = end;
        }
        if (!appendBits(m, job.bits, job.tailBits)) { fail(Error::WriteFailed, path); return; }
        m.written += own;
        if (!job.last) {
            report(m);
            return;
        }
        if (m.carryBits && !put(&m.carry, 1)) { fail(Error::WriteFailed, path); return; }
        m.carryBits = 0;
        const std::uint64_t compressed = end - m.dataPos;
        if (!out.seek(m.headerPos)) { fail(Error::WriteFailed, path); return; }
        const std::uint64_t dataEnd = end;
        end = m.headerPos;
        if (compressed < m.size) {
            if (Error e = writeHeader(headerInfo(m, methodName(opt.method), compressed)); e != Error::Ok) { fail(e, path); return; }
            end = dataEnd;
            if (!out.seek(end)) { fail(Error::WriteFailed, path); return; }
        } else if (Error e = rewriteStored(m); e != Error::Ok) {
            fail(e, path);
            return;
        }
        report(m);
    }

    // Replaces a member that did not shrink by a stored copy read again from its source.
    Error rewriteStored(Member& m) {
        if (Error e = writeHeader(headerInfo(m, "-lh0-", m.size)); e != Error::Ok) return e;
        std::unique_ptr<InputStream> in = m.open ? m.open() : nullptr;
        if (!in) return Error::ReadFailed;
        std::vector<std::uint8_t> buf(std::min<std::uint64_t>(m.size, std::uint64_t{1} << 16));
        std::uint64_t left = m.size;
        std::uint16_t crc = 0;
        while (left > 0) {
            std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buf.size()));
            if (readFull(*in, buf.data(), want) != want) return Error::ReadFailed;
            crc = crc16(crc, buf.data(), want);
            if (!put(buf.data(), want)) return Error::WriteFailed;
            left -= want;
        }
        // The source changed between the two reads: the header would not match the data.
        return crc == m.crc ? Error::Ok : Error::ReadFailed;
    }

    // Reads the next segment after `prev` (whose tail becomes the primer).
    std::unique_ptr<Job> readSegment(const std::shared_ptr<Member>& m, InputStream& in, const Job* prev) {
        auto job = std::make_unique<Job>();
        job->member = m;
        const std::size_t window = std::size_t{1} << formatOf(opt.method).dicBit;
        if (prev) {
            std::size_t tail = std::min(window, prev->data.size());
            job->data.assign(prev->data.end() - static_cast<std::ptrdiff_t>(tail), prev->data.end());
        }
        job->primer = job->data.size();
        // The buffer grows as data comes, doubling: a small file does not pay for clearing a
        // whole segment (under Wine that cost about 8 ms per file).
        std::size_t got = 0;
        for (std::size_t chunk = std::min<std::size_t>(opt.segmentSize, kFirstRead);;) {
            job->data.resize(job->primer + got + chunk);
            const std::size_t n = readFull(in, job->data.data() + job->primer + got, chunk);
            got += n;
            if (n < chunk || got == opt.segmentSize) break;
            chunk = std::min(opt.segmentSize - got, got);
        }
        job->data.resize(job->primer + got);
        m->crc = crc16(m->crc, job->data.data() + job->primer, got);
        m->size += got;
        return job;
    }

    Error addFile(const MemberInfo& info, OpenInput open) {
        if (finished) return Error::BadArgument;
        if (error != Error::Ok) return error;
        if (info.originalSize > opt.maxMemberSize) return fail(Error::TooLarge, info.path);
        auto m = std::make_shared<Member>();
        m->info = info;
        m->open = std::move(open);
        {
            // Check the header before reading any data.
            std::vector<std::uint8_t> probe;
            if (Error e = buildLevel2Header(headerInfo(*m, "-lh0-", 0), probe); e != Error::Ok) return fail(e, info.path);
        }
        std::unique_ptr<InputStream> in = m->open ? m->open() : nullptr;
        if (!in) return fail(Error::ReadFailed, info.path);
        std::unique_ptr<Job> cur = readSegment(m, *in, nullptr);
        cur->first = true;
        for (;;) {
            if (in->failed()) return fail(Error::ReadFailed, info.path);
            if (m->size > opt.maxMemberSize) return fail(Error::TooLarge, info.path);
            if (cur->data.size() - cur->primer < opt.segmentSize) {
                cur->last = true;
                submit(std::move(cur));
                break;
            }
            std::unique_ptr<Job> next = readSegment(m, *in, cur.get());
            if (in->failed()) return fail(Error::ReadFailed, info.path);
            if (next->data.size() == next->primer) {
                cur->last = true;
                submit(std::move(cur));
                break;
            }
            submit(std::move(cur));
            if (error != Error::Ok) return error;
            cur = std::move(next);
        }
        return error;
    }

    Error addDirectory(const MemberInfo& info) {
        if (finished) return Error::BadArgument;
        if (error != Error::Ok) return error;
        auto m = std::make_shared<Member>();
        m->info = info;
        m->info.method = "-lhd-";
        m->directory = true;
        std::vector<std::uint8_t> probe;
        if (Error e = buildLevel2Header(m->info, probe); e != Error::Ok) return fail(e, info.path);
        auto job = std::make_unique<Job>();
        job->member = m;
        job->first = job->last = true;
        submit(std::move(job));
        return error;
    }

    Error addRaw(const MemberInfo& info, InputStream& compressed) {
        if (finished) return Error::BadArgument;
        if (error != Error::Ok) return error;
        drain();
        if (error != Error::Ok) return error;
        if (Error e = writeHeader(info); e != Error::Ok) return fail(e, info.path);
        std::vector<std::uint8_t> buf(std::min<std::uint64_t>(info.compressedSize, std::uint64_t{1} << 16));
        std::uint64_t left = info.compressedSize;
        while (left > 0) {
            std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buf.size()));
            std::size_t got = readFull(compressed, buf.data(), want);
            if (compressed.failed()) return fail(Error::ReadFailed, info.path);
            if (got != want) return fail(Error::Truncated, info.path);
            if (!put(buf.data(), want)) return fail(Error::WriteFailed, info.path);
            left -= want;
        }
        if (progress) progress(info.path, info.originalSize);
        return Error::Ok;
    }

    Error addRawFrom(const MemberInfo& info, const std::function<Error(OutputStream&)>& copy) {
        if (finished) return Error::BadArgument;
        if (error != Error::Ok) return error;
        drain();
        if (error != Error::Ok) return error;
        if (Error e = writeHeader(info); e != Error::Ok) return fail(e, info.path);
        // Counts what `copy` writes and moves the archive end along.
        struct Forward final : OutputStream {
            Impl& w;
            std::uint64_t count = 0;
            explicit Forward(Impl& impl) : w(impl) {}
            bool write(const std::uint8_t* d, std::size_t n) override {
                count += n;
                return w.put(d, n);
            }
        } forward(*this);
        if (Error e = copy(forward); e != Error::Ok) return fail(e, info.path);
        if (forward.count != info.compressedSize) return fail(Error::Truncated, info.path);
        if (progress) progress(info.path, info.originalSize);
        return Error::Ok;
    }

    Error finish() {
        if (finished) return error == Error::Ok ? Error::BadArgument : error;
        finished = true;
        if (error != Error::Ok) return error;
        drain();
        if (error != Error::Ok) return error;
        const std::uint8_t endMark = 0;
        if (!out.seek(end) || !put(&endMark, 1)) return fail(Error::WriteFailed, {});
        out.truncate();
        return Error::Ok;
    }
};

ArchiveWriter::ArchiveWriter(SeekableOutput& out, const WriterOptions& options)
    : impl_(std::make_unique<Impl>(out, options)) {}
ArchiveWriter::~ArchiveWriter() = default;
void ArchiveWriter::setProgress(WriteProgress progress) { impl_->progress = std::move(progress); }
Error ArchiveWriter::addFile(const MemberInfo& info, OpenInput open) { return impl_->addFile(info, std::move(open)); }
Error ArchiveWriter::addDirectory(const MemberInfo& info) { return impl_->addDirectory(info); }
Error ArchiveWriter::addRaw(const MemberInfo& info, InputStream& compressed) { return impl_->addRaw(info, compressed); }
Error ArchiveWriter::addRaw(const MemberInfo& info, const std::function<Error(OutputStream&)>& copy) {
    return impl_->addRawFrom(info, copy);
}
Error ArchiveWriter::finish() { return impl_->finish(); }
const std::string& ArchiveWriter::errorPath() const { return impl_->errorPath; }

}  // namespace lha
