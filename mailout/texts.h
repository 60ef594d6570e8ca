// Short texts about the work that qbmail prints and the mail window shows alike: a size, and a
// line of progress.
#pragma once

#include "mailout/export.h"

#include <cstdint>
#include <string>

namespace mailout {

// "512 bytes", "1.2 KiB", "3.4 MiB", "1.25 GiB".
std::string SizeText(std::uint64_t bytes);

// "Inbox/Projects: 40 of 120 messages (file 3 of 9)", or "...: looking for lost mail, 42%
// (file 3 of 9)" while the recovery scan reads; a folder path past 40 bytes keeps its end.
std::string ProgressText(const Progress& p);

}  // namespace mailout
