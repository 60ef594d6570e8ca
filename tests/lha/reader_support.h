// Helpers shared by the reader tests: fixtures, in-memory streams, whole-archive reads,
// peer tool runs, and small builders for hand-made headers and bit streams.
#pragma once

#include "lha/error.h"
#include "lha/member.h"
#include "lha/stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace readertest {

using Bytes = std::vector<std::uint8_t>;

std::string fixturePath(const std::string& name);
Bytes readFile(const std::string& path);
Bytes fixture(const std::string& name);

// One manifest row: the member as its content says it must read back.
struct ManifestRow {
    std::string archive;
    std::string path;     // %XX escapes already decoded
    std::string method;   // "*" where the archiver chose
    std::uint64_t size = 0;
    std::uint16_t crc = 0;
    std::string content;  // file under content/, "-" for folders
};
std::vector<ManifestRow> manifest();
std::vector<std::string> manifestArchives();

class VectorOutput final : public lha::OutputStream {
public:
    bool write(const std::uint8_t* data, std::size_t size) override {
        if (failAfter_ && bytes.size() + size > limit_) return false;
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    void failAfter(std::size_t limit) {
        failAfter_ = true;
        limit_ = limit;
    }
    Bytes bytes;

private:
    bool failAfter_ = false;
    std::size_t limit_ = 0;
};

// A member as read back: header, extraction result and data.
struct ReadMember {
    lha::MemberInfo info;
    lha::Error extract = lha::Error::Ok;
    Bytes data;
};

// Lists and extracts every member. `error` is the first error of next() (Ok when the
// walk reached the end); extraction errors are per member.
struct ReadArchive {
    std::vector<ReadMember> members;
    lha::Error error = lha::Error::Ok;
};
ReadArchive readAll(const Bytes& archive);

// Runs a shell command and returns its standard output; `ok` is false if it failed to run.
std::string runCommand(const std::string& command, bool* ok = nullptr);
bool haveTool(const std::string& name);
std::string writeTemp(const Bytes& data, const std::string& suffix);

// MSB-first bit packer for hand-made compressed streams.
class BitPacker {
public:
    void put(std::uint32_t value, unsigned bits);
    Bytes finish();

private:
    Bytes out_;
    std::uint32_t acc_ = 0;
    unsigned n_ = 0;
};

// Little-endian appenders for hand-made headers.
void put8(Bytes& b, unsigned v);
void put16(Bytes& b, unsigned v);
void put32(Bytes& b, std::uint32_t v);
void put64(Bytes& b, std::uint64_t v);
void putText(Bytes& b, const std::string& s);

struct Ext {
    std::uint8_t type;
    Bytes body;
};

// A level-0 header (checksum filled in) followed by `data`.
Bytes level0(const std::string& method, const std::string& name, const Bytes& data, std::uint32_t original,
             std::uint16_t crc);
// A level-1 header with `exts` followed by `data`.
Bytes level1(const std::string& method, const std::string& name, const Bytes& data, std::uint32_t original,
             std::uint16_t crc, const std::vector<Ext>& exts);
// A level-2 header with `exts` (a CRC extension is added first when `withCrc`) and `data`.
Bytes level2(const std::string& method, const Bytes& data, std::uint32_t original, std::uint16_t crc,
             const std::vector<Ext>& exts, bool withCrc = true);
Bytes withEnd(Bytes archive);

}  // namespace readertest
