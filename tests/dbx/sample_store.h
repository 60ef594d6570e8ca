// The demo's Outlook Express 5 store, written by the test writer: Folders.dbx, the standard
// folders, a two-level sub-folder under Inbox, a folder with a Japanese name, Pop3uidl.dbx; a
// few hundred English and Japanese messages, some long, one with an attachment, a few freed.
// The same bytes every run. The Japanese folder was made as "Customers" and renamed later, so its
// file keeps an ASCII name: the demo's Windows runs in code page 1252, where a backup could not
// name a Japanese file in its archive.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sample {

struct SampleFolder {
    std::string path;                // as an export names it, from the top ("Inbox/Projects")
    std::vector<std::string> texts;  // the messages its tree holds, in order
};

// Writes the store into `dir` (made when missing); empty when a file cannot be written.
std::vector<SampleFolder> WriteSampleStore(const std::filesystem::path& dir);

}  // namespace sample
