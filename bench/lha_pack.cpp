// lha_pack: creates an .lzh archive of a folder with our writer (benchmark and interop tool).
// usage: lha_pack [-m lh5|lh6|lh7] [-l normal|max] [-t threads] [-s segment-KiB] ARCHIVE DIR
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "file_streams.h"
#include "lha/writer.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    lha::WriterOptions opt;
    int i = 1;
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        std::string o = argv[i], v = argv[i + 1];
        if (o == "-m") opt.method = v == "lh7" ? lha::Method::Lh7 : v == "lh6" ? lha::Method::Lh6 : lha::Method::Lh5;
        else if (o == "-l") opt.level = v == "max" ? lha::Level::Max : lha::Level::Normal;
        else if (o == "-t") opt.threads = static_cast<unsigned>(std::atoi(v.c_str()));
        else if (o == "-s") opt.segmentSize = static_cast<std::size_t>(std::atol(v.c_str())) << 10;
        else { std::fprintf(stderr, "unknown option %s\n", o.c_str()); return 2; }
    }
    if (argc - i != 2) {
        std::fprintf(stderr, "usage: lha_pack [-m lh5|lh6|lh7] [-l normal|max] [-t threads] [-s segment-KiB] ARCHIVE DIR\n");
        return 2;
    }
    const fs::path root = argv[i + 1];
    std::vector<fs::path> entries;
    for (const auto& e : fs::recursive_directory_iterator(root)) entries.push_back(e.path());
    std::sort(entries.begin(), entries.end());

    bench::FileOutput out(argv[i]);
    if (!out.ok()) { std::perror(argv[i]); return 1; }
    lha::ArchiveWriter writer(out, opt);
    for (const fs::path& p : entries) {
        struct stat st {};
        if (stat(p.c_str(), &st) != 0) continue;
        lha::MemberInfo info;
        info.path = fs::relative(p, root).generic_string();
        info.unixTime = st.st_mtime;
        info.hasUnixTime = true;
        info.attributes = (st.st_mode & S_IWUSR) ? lha::kAttrArchive : lha::kAttrArchive | lha::kAttrReadOnly;
        lha::Error e;
        if (S_ISDIR(st.st_mode)) {
            e = writer.addDirectory(info);
        } else {
            info.originalSize = static_cast<std::uint64_t>(st.st_size);
            std::string file = p.string();
            e = writer.addFile(info, [file]() -> std::unique_ptr<lha::InputStream> {
                auto in = std::make_unique<bench::FileInput>(file);
                if (!in->ok()) return nullptr;
                return in;
            });
        }
        if (e != lha::Error::Ok) {
            std::fprintf(stderr, "%s: %s\n", writer.errorPath().c_str(), lha::errorText(e));
            return 1;
        }
    }
    lha::Error e = writer.finish();
    if (e != lha::Error::Ok || !out.close()) {
        std::fprintf(stderr, "%s: %s\n", writer.errorPath().c_str(), lha::errorText(e));
        return 1;
    }
    return 0;
}
