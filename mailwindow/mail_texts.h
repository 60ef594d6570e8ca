// What the mail window says and names, apart from the window itself: the lines that show what a
// source holds, the default output folder, what a file picked in the Open dialog stands for, and
// the one message at the end of an export (Japanese, the same in English below).
#pragma once

#include "mailout/book_export.h"
#include "mailout/export.h"
#include "mailout/listing.h"

#include <optional>
#include <string>
#include <vector>

namespace mailwindow {

// The list box's lines (UTF-8) for a listing: what the source is (for a backup its identity,
// date, mail accounts and contacts), then each folder indented by its depth with its messages
// and size after tabs, the totals, and the first few problems met while reading.
std::vector<std::string> ListingLines(const mailout::Listing& l);

// The default output folder's name for a listing: "<identity> <date>" for a backup (the date's
// '/' as '-'), "<file or folder name> mail" for another source; safe as a file name on every
// Windows. Empty for a listing of no source (status 2).
std::string OutputFolderName(const mailout::Listing& l);

// The first of "<parent>\<name>", "<parent>\<name> (2)", ... that names nothing yet; empty when
// the parent or the name is empty, or the first 999 are all taken.
std::string FreeFolder(const std::string& parent, const std::string& name);

// The source a file picked in the Open dialog stands for: a backup's OLdate.bkd, or an OL.lzh
// beside one, stands for its backup folder (which brings the accounts and contacts along); a
// store's Folders.dbx for its store folder; any other file for itself. Names match without case.
std::string PickedSource(const std::string& file);

// What an export through the window did.
struct Outcome {
    mailout::ExportSummary mail;
    std::optional<mailout::ContactsSummary> contacts;  // when "Contacts (vCard)" was ticked
    mailout::Format format = mailout::Format::Eml;
    bool recover = false;
    bool folderMade = false;  // the output folder is there to be opened
    std::string failure;      // an error that ended the work before its end
};

// Problems shown in the end message; the rest are counted.
inline constexpr std::size_t kProblemsShown = 5;

// The message at the end: what was written and where, how many things could not be read with
// the first few of them, and (when the folder was made) the question whether to open it.
std::string EndMessage(const Outcome& o);

// Whether the end message asks to open the output folder (else it only tells).
inline bool AsksToOpen(const Outcome& o) { return o.folderMade && o.mail.status != 2 && o.failure.empty(); }

}  // namespace mailwindow
