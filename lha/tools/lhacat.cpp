// lhacat: a small native command-line front end to the archive reader, for interop tests
// and extraction benchmarks.
//   lhacat list ARCHIVE          one line per member: method, sizes, CRC, level, path
//   lhacat test ARCHIVE          decodes every member, checking CRCs, writing nothing
//   lhacat extract ARCHIVE DIR   writes members below DIR
#include "lha/reader.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

class FileInput final : public lha::InputStream {
public:
    explicit FileInput(std::FILE* f) : f_(f) {}
    std::size_t read(std::uint8_t* b, std::size_t n) override {
        const std::size_t got = std::fread(b, 1, n, f_);
        if (got == 0 && std::ferror(f_)) failed_ = true;
        return got;
    }
    bool skip(std::uint64_t n) override {
        return std::fseek(f_, static_cast<long>(n), SEEK_CUR) == 0;
    }
    bool failed() const override { return failed_; }

private:
    std::FILE* f_;
    bool failed_ = false;
};

class FileOutput final : public lha::OutputStream {
public:
    explicit FileOutput(std::FILE* f) : f_(f) {}
    bool write(const std::uint8_t* d, std::size_t n) override { return std::fwrite(d, 1, n, f_) == n; }

private:
    std::FILE* f_;
};

class NullOutput final : public lha::OutputStream {
public:
    bool write(const std::uint8_t*, std::size_t) override { return true; }
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A member path is safe to create below the target when it is relative and has no "..".
bool safeRelative(const std::string& p) {
    if (p.empty() || p[0] == '/') return false;
    std::size_t start = 0;
    while (start <= p.size()) {
        std::size_t end = p.find('/', start);
        if (end == std::string::npos) end = p.size();
        if (p.compare(start, end - start, "..") == 0 && end - start == 2) return false;
        start = end + 1;
    }
    return true;
}

// Runs one command over the archive; 0 when every member succeeded, 1 otherwise.
int run(const char* cmd, const char* archive, const char* dir) {
    FilePtr f(std::fopen(archive, "rb"));
    if (!f) {
        std::fprintf(stderr, "lhacat: cannot open %s\n", archive);
        return 2;
    }
    std::setvbuf(f.get(), nullptr, _IOFBF, 1 << 16);
    FileInput in(f.get());
    lha::ArchiveReader reader(in);
    int failures = 0;
    for (;;) {
        lha::MemberInfo m;
        if (lha::Error e = reader.next(m); e != lha::Error::Ok) {
            std::fprintf(stderr, "lhacat: %s\n", lha::errorText(e));
            return 1;
        }
        if (reader.atEnd()) break;
        lha::Error e = lha::Error::Ok;
        if (std::strcmp(cmd, "list") == 0) {
            std::printf("%s %12" PRIu64 " %12" PRIu64 " %04X %d %s\n", m.method.c_str(), m.originalSize,
                        m.compressedSize, m.crc, m.headerLevel, m.path.c_str());
        } else if (std::strcmp(cmd, "test") == 0) {
            NullOutput out;
            e = reader.extract(out);
        } else {
            if (!safeRelative(m.path)) {
                std::fprintf(stderr, "lhacat: %s: unsafe path, skipped\n", m.path.c_str());
                ++failures;
                continue;
            }
            const std::filesystem::path target = std::filesystem::path(dir) / m.path;
            std::error_code ec;
            if (m.isDirectory()) {
                std::filesystem::create_directories(target, ec);
                continue;
            }
            std::filesystem::create_directories(target.parent_path(), ec);
            FilePtr o(std::fopen(target.c_str(), "wb"));
            if (!o) {
                std::fprintf(stderr, "lhacat: cannot create %s\n", target.c_str());
                ++failures;
                continue;
            }
            std::setvbuf(o.get(), nullptr, _IONBF, 0);
            FileOutput out(o.get());
            e = reader.extract(out);
        }
        if (e != lha::Error::Ok) {
            std::fprintf(stderr, "lhacat: %s: %s\n", m.path.c_str(), lha::errorText(e));
            ++failures;
        }
    }
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && (std::strcmp(argv[1], "list") == 0 || std::strcmp(argv[1], "test") == 0))
        return run(argv[1], argv[2], nullptr);
    if (argc >= 4 && std::strcmp(argv[1], "extract") == 0) return run(argv[1], argv[2], argv[3]);
    std::fprintf(stderr, "usage: lhacat list|test ARCHIVE | lhacat extract ARCHIVE DIR\n");
    return 2;
}
