// lha_unpack: extracts an .lzh archive with the library's ArchiveReader (extraction benchmark).
// usage: lha_unpack ARCHIVE DIR
#include <cstdio>
#include <filesystem>
#include <string>

#include "file_streams.h"
#include "lha/reader.h"

namespace fs = std::filesystem;

namespace {

class AppendOutput final : public lha::OutputStream {
public:
    explicit AppendOutput(std::FILE* f) : f_(f) {}
    bool write(const std::uint8_t* d, std::size_t n) override { return std::fwrite(d, 1, n, f_) == n; }

private:
    std::FILE* f_;
};

// Relative, no "..": safe to create below the target folder.
bool safePath(const std::string& p) {
    if (p.empty() || p[0] == '/') return false;
    for (const auto& part : fs::path(p))
        if (part == "..") return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lha_unpack ARCHIVE DIR\n");
        return 2;
    }
    bench::FileInput in(argv[1]);
    if (!in.ok()) { std::perror(argv[1]); return 1; }
    const fs::path root = argv[2];
    lha::ArchiveReader reader(in);
    lha::MemberInfo info;
    for (;;) {
        lha::Error e = reader.next(info);
        if (e != lha::Error::Ok) { std::fprintf(stderr, "%s\n", lha::errorText(e)); return 1; }
        if (reader.atEnd()) break;
        if (!safePath(info.path)) { std::fprintf(stderr, "skipping %s\n", info.path.c_str()); continue; }
        const fs::path target = root / info.path;
        if (info.isDirectory()) {
            fs::create_directories(target);
            continue;
        }
        fs::create_directories(target.parent_path());
        std::FILE* f = std::fopen(target.c_str(), "wb");
        if (!f) { std::perror(target.c_str()); return 1; }
        std::setvbuf(f, nullptr, _IOFBF, 1 << 20);
        AppendOutput out(f);
        e = reader.extract(out);
        if (std::fclose(f) != 0 || e != lha::Error::Ok) {
            std::fprintf(stderr, "%s: %s\n", info.path.c_str(), lha::errorText(e));
            return 1;
        }
    }
    return 0;
}
