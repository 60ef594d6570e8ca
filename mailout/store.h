// A store however it is held: a store folder on disk, a backup's OL.lzh read in place, or one
// message file. The export, the listing and the check all go through this, so each reads the
// store the way that costs least: an archive front to back once, decoding the next member on a
// second thread while the current one is read.
#pragma once

#include "dbx/source.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mailout {

struct StoreEntry {
    std::string name;            // relative path, components separated by '/'
    bool codePageBytes = false;  // true: an archive member's name, in the store's code page; false: UTF-8
    std::uint64_t size = 0;
};

// What reading one entry gave: its bytes (possibly only part of them) and any problem.
struct Opened {
    std::unique_ptr<dbx::Source> source;  // null when nothing could be read
    std::string problem;                  // empty when the entry read whole (for a member: CRC good)
};

class Store {
public:
    virtual ~Store() = default;
    // Entries in the store's own order (folders left out).
    const std::vector<StoreEntry>& entries() const { return entries_; }
    // What went wrong with the store as a whole (an archive damaged after some member).
    const std::vector<std::string>& problems() const { return problems_; }
    // Reads one entry (Folders.dbx, before the rest).
    virtual Opened open(std::size_t entry) = 0;
    // Reads the entries in `wanted` (indexes, ascending) in store order and calls `each` with
    // each; `each` returns false to stop. Stops too when `cancel` turns true. Here: one open()
    // after the other.
    virtual void forEach(const std::vector<std::size_t>& wanted, const std::function<bool(std::size_t, Opened&)>& each,
                         const std::atomic<bool>* cancel);

protected:
    std::vector<StoreEntry> entries_;
    std::vector<std::string> problems_;
};

// Each returns null with `why` set when the path is not that kind of store or cannot be read.
std::unique_ptr<Store> OpenFolderStore(const std::string& dir, std::string& why);
std::unique_ptr<Store> OpenArchiveStore(const std::string& archive, std::string& why);
std::unique_ptr<Store> OpenFileStore(const std::string& file, std::string& why);

// Members up to this size are decoded into memory, larger ones into a scratch file: two of them
// may be held at once (one read, one decoded ahead), which keeps the peak well under 64 MiB.
inline constexpr std::uint64_t kInMemoryMember = 16u << 20;

}  // namespace mailout
