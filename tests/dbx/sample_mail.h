// Deterministic mail for the demo store: English and Japanese messages (ISO-2022-JP bodies,
// RFC 2047 subjects), long ones and one with an attachment, whose Date: headers agree with
// the FILETIMEs recorded for them.
#pragma once

#include <cstdint>
#include <string>

#include "dbx_writer.h"

namespace sample {

enum class Kind { English, Japanese, Long, Attachment };

struct MailOptions {
    Kind kind = Kind::English;
    bool outgoing = false;      // written by the store's owner (Sent Items, Drafts, Outbox)
    bool draft = false;
    bool read = true;
    std::int64_t when = 0;      // Unix time the message was sent
    std::uint32_t seed = 0;     // picks correspondent, subject and body
    bool reply = false;         // "Re: " subject
};

// One message with its message info fields filled; Japanese fields of the info are in
// code page 932, as Outlook Express on a Japanese system records them.
dbxw::Message MakeMail(const MailOptions& options);

// The Japanese folder's name, in code page 932 (as Folders.dbx holds it) and in UTF-8 (as its
// file is named on this side).
std::string JapaneseFolderCp932();
std::string JapaneseFolderUtf8();

// "Mon, 8 Jan 2001 09:30:00 +0900": the RFC 2822 date of a Unix time in a zone east of UTC.
std::string RfcDate(std::int64_t unixTime, int zoneMinutes);

}  // namespace sample
