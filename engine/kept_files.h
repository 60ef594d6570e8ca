// An earlier backup's files, set aside while a new backup is written over them, so that a folder
// never ends up holding files of two backups. Each backup file name gets a marker beside it the
// moment its step begins: "X.qbkeep" is the earlier X itself, renamed; "X.qbnone" (empty) says
// the earlier backup had no X. A plain X that has a marker is therefore the new backup's.
//
// Markers are made in the order the backup writes its files, the settings file first, and a
// commit removes the settings file's marker first; so when markers are found later (the program
// was ended, the power failed), the settings file's marker tells whether the new backup had been
// committed: with it, the new files go and the earlier ones come back; without it, only the
// remaining markers go. The archive the archiver was writing when the backup was cut off is left
// under its temporary name ("qbz" and four hex digits, ".tmp"); it goes too.
#pragma once

#include <string>
#include <vector>

namespace engine {

inline constexpr wchar_t kKeptSuffix[] = L".qbkeep";
inline constexpr wchar_t kNoneSuffix[] = L".qbnone";

class KeptFiles {
public:
    // Puts in order what a backup that was cut off left in `folder`, as above. Throws
    // EngineError when a file cannot be moved or removed; what is left is settled next time.
    static void Settle(const std::wstring& folder);

    // Sets the earlier file at `path` aside (`held`: the folder holds it under exactly that
    // name) or marks that there was none. Throws EngineError when that fails, and from then on
    // for every later file, so that no new file is written where the earlier one is not safe.
    void SetAside(const std::wstring& path, bool held);
    bool empty() const { return paths_.empty(); }

    // The new backup is whole: the markers and the earlier files go.
    void Commit();
    // The new backup cannot restore the mail: its files go and the earlier ones come back, the
    // settings file last. Throws at the first file that cannot be put back, leaving its marker.
    void PutBack();

private:
    std::vector<std::wstring> paths_;  // in the order set aside
    bool failed_ = false;
};

}  // namespace engine
