// The export: every message of a store written out as .eml files in a folder tree, or as
// Thunderbird's local folders (one mbox file per folder, sub-folders in "<name>.sbd"), with
// what only the recovery scan finds in a "Recovered" folder beside. Used by qbmail and by
// Quillboxmail.exe alike.
//
// Nothing is written outside the output folder, nothing there is overwritten: a name already
// taken gets " (2)", " (3)", ... A message that cannot be read whole is written as far as it
// reads, " (incomplete)" in its file name, and named in the problems.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mailout {

enum class Format { Eml, Mbox };

struct Progress {
    std::string folder;           // UTF-8 path of the folder being written
    std::uint64_t done = 0;       // its messages written so far
    std::uint64_t expected = 0;   // what its folder info counts (0: unknown)
    std::size_t file = 0, files = 0;  // message files done, in all
    int scanned = -1;             // percent of the file the recovery scan has read; -1: not scanning
};

struct ExportOptions {
    std::string source;           // backup folder, OL.lzh, store folder or .dbx
    std::string outDir;           // made when missing; never emptied
    Format format = Format::Eml;
    bool recover = false;
    unsigned codePage = 0;        // of the store's names; 0: the system's, else chosen from the names
    const std::atomic<bool>* cancel = nullptr;
    std::function<void(const Progress&)> progress;       // now and then
    std::function<void(const std::string&)> problem;     // each problem as it is found
};

struct ExportSummary {
    int status = 0;               // 0 all read, 1 something was not, 2 the source is none of the four
    std::size_t folders = 0, messages = 0, recovered = 0, incomplete = 0, unreadable = 0;
    std::size_t listedOnly = 0;   // messages whose bodies were never downloaded (IMAP, news)
    std::size_t problemCount = 0;
    std::vector<std::string> problems;  // the first few hundred
    bool stopped = false;         // cancelled
    unsigned codePage = 0;
    bool codePageGuessed = false;
    std::string outDir;
};

ExportSummary Export(const ExportOptions& options);

}  // namespace mailout
