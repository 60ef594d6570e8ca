// One store file: its header, the folder name its file info keeps, and an in-order walk of
// its index trees. The walk trusts nothing: a node that is not where its parent points, that
// claims too many entries or that was met before ends only the branch below it; the rest of
// the tree is still walked.
#pragma once

#include "dbx/report.h"
#include "dbx/source.h"

#include <cstdint>
#include <functional>
#include <string>

namespace dbx {

enum class FileKind { Messages, Folders, Pop3Uidl, Offline, Unknown };

class StoreFile {
public:
    // Reads the header through a page cache of its own; `source` must outlive this.
    explicit StoreFile(Source& source);

    // False when the file is no store file (too short, no magic); error() says why.
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }
    FileKind kind() const { return kind_; }
    std::uint64_t size() const { return cache_.size(); }
    CachedSource& cache() { return cache_; }
    // True once reading stopped because the file made the reader go over the same bytes far
    // more often than a store file can (see CachedSource::setBudget); what follows is missing.
    bool overread() const { return cache_.exhausted(); }

    // Message files: the folder's name when the file was made (code-page bytes); a later
    // rename is kept only in Folders.dbx.
    const std::string& initialName() const { return initialName_; }
    std::uint32_t treeCount(int tree) const { return counts_[tree]; }
    std::uint32_t treeRoot(int tree) const { return roots_[tree]; }
    std::uint32_t deletedMessages() const { return deletedMessages_; }
    // Where objects may begin: past the header and the file info.
    std::uint64_t bodyStart() const { return bodyStart_; }

    // Calls `visit` with each nonzero value of tree 0, 1 or 2 in order; problems go to
    // `report`. Returns the number of values visited.
    std::uint64_t walkTree(int tree, const std::function<void(std::uint32_t value)>& visit, Report& report);

private:
    CachedSource cache_;
    bool ok_ = false;
    std::string error_;
    FileKind kind_ = FileKind::Unknown;
    std::string initialName_;
    std::uint32_t counts_[3] = {};
    std::uint32_t roots_[3] = {};
    std::uint32_t deletedMessages_ = 0;
    std::uint64_t bodyStart_ = 0;
};

// The kind of file from its first eight bytes; Unknown when it is no store file.
FileKind KindOf(const std::uint8_t* first8);

}  // namespace dbx
