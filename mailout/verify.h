// A check of a backup folder without restoring it: every member of OL.lzh and WAB.lzh unpacks
// with its CRC, OLbk1.reg reads as a settings file, OLdate.bkd is whole, every store file in
// OL.lzh opens and its trees walk; against a store folder, every member equals the file of
// its name there, and every file there is in the backup.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mailout {

struct VerifyResult {
    int status = 0;                  // 0 whole, 1 problems, 2 not a backup folder
    std::vector<std::string> problems;
    std::size_t members = 0;         // of OL.lzh
    std::size_t bookMembers = 0;     // of WAB.lzh
    std::size_t storeFiles = 0;      // message files that walked
    std::uint64_t messages = 0;
    std::size_t compared = 0;        // members found equal to the store folder's files
    bool against = false;
    unsigned codePage = 0;
};

VerifyResult Verify(const std::string& backupDir, const std::string& againstDir, const std::atomic<bool>* cancel,
                    const std::function<void(const std::string&)>& progress);

}  // namespace mailout
