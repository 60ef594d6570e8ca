// The archive commands behind Unlha: `a` adds, `e` extracts, `l` lists, `t` tests.
#pragma once

#include "unlha32/command_line.h"
#include "unlha32/progress_window.h"
#include "unlha32/report.h"

namespace unlha {

// Builds the archive anew in a temporary file beside it (old members not replaced are
// copied unchanged, then the new files) and moves it over the old archive only when all
// went well; on any failure the old archive is left as it was.
void RunAdd(const CommandLine& cl, Report& report, ProgressWindow& progress);

// Reads the archive for `e`, `l` or `t`. Extraction writes each file to a temporary name in
// its folder and replaces the old file only after the member's CRC checked out; unsafe or
// unmappable names are reported and skipped.
void RunRead(const CommandLine& cl, Report& report, ProgressWindow& progress);

// Creates the folder and its missing parents; false when one cannot be made.
bool CreateFolders(const std::wstring& path);

// Threads the writer and the extraction use inside the DLL (all joined before a command returns).
unsigned WriterThreads();

}  // namespace unlha
