// mail_floor STOREDIR OUTDIR: the floor the mail export is measured against. Before the clock
// starts it finds, with the store reader, where every message's text lies; timed is only what
// any export must do: each message's bytes read (one read of the span its blocks lie in, into a
// buffer used again) and written into a file of its own, one folder per message file. Prints the
// seconds taken.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "dbx/message.h"
#include "dbx/store_file.h"
#include "lha/stream.h"

namespace fs = std::filesystem;

namespace {

struct Piece {
    std::uint64_t at;
    std::uint32_t length;
};
struct Located {
    std::size_t file;
    std::vector<Piece> pieces;
};

// The text pieces of a checked chain: each block's text follows its 16-byte header.
std::vector<Piece> Pieces(const std::uint8_t* base, std::uint32_t first, std::uint64_t blocks) {
    std::vector<Piece> out;
    for (std::uint32_t at = first; blocks-- && at;) {
        std::uint32_t header[4];
        std::memcpy(header, base + at, sizeof header);
        out.push_back({at + 16u, header[2]});
        at = header[3];
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mail_floor STOREDIR OUTDIR\n");
        return 2;
    }
    struct Mapped {
        std::string name;
        const std::uint8_t* base;
        std::size_t size;
    };
    std::vector<Mapped> files;
    std::vector<Located> messages;
    for (const auto& e : fs::directory_iterator(argv[1])) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() != ".dbx" || name == "Folders.dbx" || name == "Pop3uidl.dbx") continue;
        const int fd = ::open(e.path().c_str(), O_RDONLY);
        struct stat st;
        if (fd < 0 || ::fstat(fd, &st) != 0) return 1;
        void* base = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ::close(fd);
        if (base == MAP_FAILED) return 1;
        files.push_back({name.substr(0, name.size() - 4), static_cast<const std::uint8_t*>(base), static_cast<std::size_t>(st.st_size)});
        dbx::MemorySource src(base, static_cast<std::size_t>(st.st_size));
        dbx::StoreFile file(src);
        dbx::Report report;
        dbx::ForEachMessage(file, report, [&](const dbx::MessageInfo& info, std::uint64_t) {
            const dbx::Chain c = dbx::CheckChain(file.cache(), info.firstBlock);
            messages.push_back({files.size() - 1, Pieces(files.back().base, info.firstBlock, c.blocks)});
        });
    }
    for (Mapped& f : files) ::munmap(const_cast<std::uint8_t*>(f.base), f.size);
    const auto start = std::chrono::steady_clock::now();
    const fs::path out = argv[2];
    for (const Mapped& f : files) fs::create_directories(out / f.name);
    std::vector<char> buf, span;
    std::size_t n = 0, current = ~std::size_t{0};
    int in = -1;
    for (const Located& m : messages) {
        if (m.file != current) {
            if (in >= 0) ::close(in);
            current = m.file;
            in = ::open((fs::path(argv[1]) / (files[current].name + ".dbx")).c_str(), O_RDONLY);
            if (in < 0) return 1;
        }
        std::uint64_t lo = ~std::uint64_t{0}, hi = 0;
        for (const Piece& p : m.pieces) lo = std::min(lo, p.at), hi = std::max(hi, p.at + p.length);
        buf.clear();
        if (!m.pieces.empty()) {
            span.resize(hi - lo);
            if (::pread(in, span.data(), span.size(), static_cast<off_t>(lo)) != static_cast<ssize_t>(span.size())) return 1;
            for (const Piece& p : m.pieces) buf.insert(buf.end(), span.data() + (p.at - lo), span.data() + (p.at - lo) + p.length);
        }
        const std::string path = (out / files[m.file].name / (std::to_string(++n) + ".eml")).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (fd < 0 || ::write(fd, buf.data(), buf.size()) != static_cast<ssize_t>(buf.size()) || ::close(fd) != 0) return 1;
    }
    if (in >= 0) ::close(in);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %zu\n", seconds, messages.size());
    return 0;
}
