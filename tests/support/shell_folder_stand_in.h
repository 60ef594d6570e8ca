// Stands in for the shell's folder look-up for one test: the folders given get the paths given,
// every other folder the empty text, as on a system that does not provide it.
#pragma once

#include "profile/shell_folders.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace testsupport {

class ShellFolderStandIn {
public:
    explicit ShellFolderStandIn(std::map<std::int32_t, std::wstring> folders) {
        Getsplfol_mod::SetFolderLookup([folders = std::move(folders)](std::int32_t folder) {
            const auto it = folders.find(folder);
            return it == folders.end() ? std::wstring() : it->second;
        });
    }
    ~ShellFolderStandIn() { Getsplfol_mod::SetFolderLookup(nullptr); }
    ShellFolderStandIn(const ShellFolderStandIn&) = delete;
    ShellFolderStandIn& operator=(const ShellFolderStandIn&) = delete;
};

}  // namespace testsupport
