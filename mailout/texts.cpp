// The size and progress texts of qbmail and the mail window (see texts.h).
#include "mailout/texts.h"

#include <cstdio>

namespace mailout {

std::string SizeText(std::uint64_t bytes) {
    char buf[32];
    if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
    if (bytes < 1024 * 1024)
        std::snprintf(buf, sizeof buf, "%.1f KiB", static_cast<double>(bytes) / 1024);
    else if (bytes < (1ull << 30))
        std::snprintf(buf, sizeof buf, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
    else
        std::snprintf(buf, sizeof buf, "%.2f GiB", static_cast<double>(bytes) / (1 << 30));
    return buf;
}

std::string ProgressText(const Progress& p) {
    std::string line = p.folder.size() > 40 ? "..." + p.folder.substr(p.folder.size() - 37) : p.folder;
    line += ": ";
    if (p.scanned >= 0) {
        line += "looking for lost mail, " + std::to_string(p.scanned) + "%";
    } else {
        line += std::to_string(p.done);
        if (p.expected) line += " of " + std::to_string(p.expected);
        line += " messages";
    }
    line += " (file " + std::to_string(p.file + 1) + " of " + std::to_string(p.files) + ")";
    return line;
}

}  // namespace mailout
