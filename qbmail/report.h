// The texts qbmail prints: the closing summaries of its commands (the progress line and sizes
// are mailout's, which the mail window shows too).
#pragma once

#include "mailout/book_export.h"
#include "mailout/export.h"
#include "mailout/listing.h"
#include "mailout/texts.h"
#include "mailout/verify.h"

#include <string>

namespace qbmail {

std::string ExportSummaryText(const mailout::ExportSummary& s, const mailout::ExportOptions& o);
std::string ListingText(const mailout::Listing& l);
std::string VerifyText(const mailout::VerifyResult& v);
std::string ContactsSummaryText(const mailout::ContactsSummary& s);

}  // namespace qbmail
