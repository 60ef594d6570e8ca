// The texts qbmail prints: a progress line, and the closing summaries of its three commands.
#pragma once

#include "mailout/book_export.h"
#include "mailout/export.h"
#include "mailout/listing.h"
#include "mailout/verify.h"

#include <string>

namespace qbmail {

std::string ProgressText(const mailout::Progress& p);
std::string ExportSummaryText(const mailout::ExportSummary& s, const mailout::ExportOptions& o);
std::string ListingText(const mailout::Listing& l);
std::string VerifyText(const mailout::VerifyResult& v);
std::string ContactsSummaryText(const mailout::ContactsSummary& s);

// "1.2 MiB", "512 bytes".
std::string Size(std::uint64_t bytes);

}  // namespace qbmail
