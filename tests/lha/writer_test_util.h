// Helpers for the writer tests: sample data, temporary folders, archives in memory and on
// disk, and running the peer LHA tools.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lha/stream.h"
#include "lha/writer.h"

namespace wt {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Pseudo-random bytes: incompressible.
inline Bytes randomBytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng() >> 24);
    return b;
}

// Word soup with repeats near and far: compressible, with matches at many distances.
inline Bytes textBytes(std::size_t n, std::uint32_t seed) {
    static const char* words[] = {"mail ", "folder ", "the ", "message ", "subject: ", "Re: ", "invoice ",
                                  "\r\n", "attachment ", "quillbox ", "2026 ", "backup ", "=?ISO-2022-JP?B?", "ok. "};
    std::mt19937 rng(seed);
    Bytes b;
    b.reserve(n + 32);
    while (b.size() < n) {
        if (b.size() > 70000 && rng() % 16 == 0) {  // copy an older stretch
            std::size_t len = 20 + rng() % 300;
            std::size_t from = rng() % (b.size() - len);
            for (std::size_t i = 0; i < len; ++i) b.push_back(b[from + i]);
        } else {
            const char* w = words[rng() % (sizeof words / sizeof *words)];
            b.insert(b.end(), w, w + std::char_traits<char>::length(w));
        }
    }
    b.resize(n);
    return b;
}

// A fresh empty folder under the system temp folder, removed on destruction.
class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        static int counter = 0;
        path_ = fs::temp_directory_path() / ("lha_writer_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { std::error_code ec; fs::remove_all(path_, ec); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline void writeFile(const fs::path& p, const Bytes& b) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline Bytes readFile(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

// Runs a shell command; returns its exit status and fills `output` with stdout+stderr.
inline int run(const std::string& cmd, std::string* output = nullptr) {
    std::string full = cmd + " 2>&1";
    std::FILE* p = ::popen(full.c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    int rc = ::pclose(p);
    if (output) *output = text;
    return rc;
}

inline std::string quote(const fs::path& p) { return "'" + p.string() + "'"; }

// An input over a shared byte vector (the factory may open it any number of times).
inline lha::OpenInput opener(std::shared_ptr<const Bytes> data) {
    return [data]() -> std::unique_ptr<lha::InputStream> {
        return std::make_unique<lha::MemoryInput>(data->data(), data->size());
    };
}

// One member to put in a test archive: a file (data) or a folder (dir = true).
struct Entry {
    std::string path;
    Bytes data;
    bool dir = false;
};

// Writes `entries` in order into an in-memory archive; returns the writer's result.
inline lha::Error buildArchive(const std::vector<Entry>& entries, const lha::WriterOptions& opt, Bytes& archive,
                               std::int64_t mtime = 1700000000) {
    lha::MemoryOutput out;
    lha::ArchiveWriter w(out, opt);
    for (const Entry& e : entries) {
        lha::MemberInfo info;
        info.path = e.path;
        info.unixTime = mtime;
        info.hasUnixTime = true;
        info.originalSize = e.data.size();
        lha::Error r = e.dir ? w.addDirectory(info) : w.addFile(info, opener(std::make_shared<Bytes>(e.data)));
        if (r != lha::Error::Ok) return r;
    }
    lha::Error r = w.finish();
    archive = out.bytes();
    return r;
}

// Level-2 member headers of an archive as written by us: (offset, header size, compressed size).
struct RawMember {
    std::size_t offset, headerSize;
    std::uint32_t compressedSize;
    std::string method;
};
inline std::vector<RawMember> walkArchive(const Bytes& a) {
    std::vector<RawMember> r;
    std::size_t pos = 0;
    while (pos + 26 <= a.size() && (a[pos] | a[pos + 1])) {
        RawMember m;
        m.offset = pos;
        m.headerSize = a[pos] | (a[pos + 1] << 8);
        m.compressedSize = static_cast<std::uint32_t>(a[pos + 7] | (a[pos + 8] << 8) | (a[pos + 9] << 16) | (std::uint32_t(a[pos + 10]) << 24));
        m.method.assign(a.begin() + static_cast<std::ptrdiff_t>(pos + 2), a.begin() + static_cast<std::ptrdiff_t>(pos + 7));
        r.push_back(m);
        pos += m.headerSize + m.compressedSize;
    }
    return r;
}

}  // namespace wt
