// LHA archive writer: level-2 headers, -lh5-/-lh7- members compressed in parallel segments,
// -lh0- for data that would not shrink, folders, and members copied raw from another archive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "encode_lh.h"
#include "error.h"
#include "member.h"
#include "stream.h"

namespace lha {

struct WriterOptions {
    Method method = Method::Lh5;
    Level level = Level::Normal;
    // Compressing threads; 0 picks one per hardware thread. With 1 the caller's thread does all
    // the work. The archive bytes are the same for every count.
    unsigned threads = 0;
    // Input bytes per segment; segments are compressed independently (each primed with the
    // previous segment's last window) so large members compress in parallel. Changes the output.
    std::size_t segmentSize = std::size_t{1} << 20;
    // Segments read but not yet written; bounds memory to about this many segments.
    // 0 picks 2 * threads + 2.
    unsigned maxSegmentsInFlight = 0;
    // Largest member data accepted; more gives Error::TooLarge (headers hold 32-bit sizes).
    std::uint64_t maxMemberSize = 0xFFFFFFFFull;
};

// Opens a member's data from the start; may be called again to re-read it. Null: cannot open.
using OpenInput = std::function<std::unique_ptr<InputStream>()>;
// Reports a member's path and how many of its original bytes are written so far.
using WriteProgress = std::function<void(const std::string& path, std::uint64_t done)>;

// A growable in-memory seekable output, for tests and for archives built in memory.
class MemoryOutput final : public SeekableOutput {
public:
    bool write(const std::uint8_t* data, std::size_t size) override;
    std::uint64_t position() const override { return pos_; }
    bool seek(std::uint64_t offset) override;
    bool truncate() override;
    const std::vector<std::uint8_t>& bytes() const { return data_; }

private:
    std::vector<std::uint8_t> data_;
    std::size_t pos_ = 0;
};

class ArchiveWriter {
public:
    // Writes at `out`'s current position, which must be where the archive starts.
    explicit ArchiveWriter(SeekableOutput& out, const WriterOptions& options = {});
    // Stops the worker threads; an unfinished archive is left incomplete.
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // Called on the caller's thread from inside add*/finish.
    void setProgress(WriteProgress progress);

    // Queues a file. From `info` the writer uses path, unixTime/hasUnixTime/dosTime,
    // attributes and osId; method, sizes and CRC are its own. The data is read through
    // `open` before this returns; `open` is called once more, before finish() returns, only
    // for a multi-segment member that did not shrink. Errors of queued members surface on a
    // later call; after an error every call returns it (see errorPath()).
    Error addFile(const MemberInfo& info, OpenInput open);

    // Queues a folder entry ("-lhd-") for info.path.
    Error addDirectory(const MemberInfo& info);

    // Writes a member copied from another archive: `info` as its reader reported it (method,
    // sizes, CRC kept) and `compressed` positioned at its compressedSize data bytes.
    Error addRaw(const MemberInfo& info, InputStream& compressed);

    // Same, with the data pushed by `copy` into the stream it is given, e.g.
    // [&](OutputStream& o) { return reader.copyRaw(o); }. An error from `copy` is returned;
    // Truncated when it writes other than info.compressedSize bytes.
    Error addRaw(const MemberInfo& info, const std::function<Error(OutputStream&)>& copy);

    // Writes everything queued and the end marker, and cuts the output there.
    Error finish();

    // Path of the member that caused the sticky error, empty when none.
    const std::string& errorPath() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lha
