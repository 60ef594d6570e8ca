// Result codes of Unlha and the report text that goes back into the caller's buffer.
#pragma once

#include "lha/error.h"

#include <string>

namespace unlha {

// Unlha's result codes; README.md documents them. The first failure of a call decides.
enum Result : int {
    kOk = 0,
    kBadCommand = 1,       // unknown command or switch, missing argument, unclosed quote
    kArchiveMissing = 2,   // the archive to read does not exist or cannot be opened
    kArchiveDamaged = 3,   // a header or compressed data is broken, the archive ends early
    kCrcError = 4,         // a member decodes but its CRC does not match
    kCannotRead = 5,       // a source file or folder is missing or cannot be read
    kCannotWrite = 6,      // the archive, a folder or an extracted file cannot be written
    kDiskFull = 7,         // writing stopped because the disk is full
    kUnsafeName = 8,       // a member name would leave the destination; not extracted
    kNameNotAnsi = 9,      // a name the ANSI code page cannot hold; skipped
    kExistingKept = 10,    // without -m1, an existing file was left as it was
    kInternal = 11,        // out of memory or an unexpected failure
};

class Report {
public:
    // Adds a line of ANSI text.
    void line(const std::string& ansi) { text_ += ansi + "\r\n"; }
    // Adds a line of UTF-16 text, unmappable characters as '?'.
    void line(const std::wstring& text);
    // Records a failure: the first one gives the result code; the message is added as a line.
    void fail(Result code, const std::wstring& message);
    void fail(Result code, const std::wstring& message, const std::string& ansiName);

    // Adds another report's lines after these; its first failure counts if this has none.
    void append(const Report& other) {
        text_ += other.text_;
        if (result_ == kOk) result_ = other.result_;
    }

    Result result() const { return result_; }
    const std::string& text() const { return text_; }

    // Copies the text into a caller's buffer: at most size - 1 bytes, then a NUL.
    // Nothing is written when the buffer is null or its size is 0.
    void copyTo(char* buffer, unsigned long size) const;

private:
    std::string text_;
    Result result_ = kOk;
};

// The result code for a library error; a failed write counts as disk full when the
// output says so.
Result ResultFor(lha::Error e, bool diskFull);

// Unlha's own wording for an archive error, as UTF-16.
std::wstring ErrorText(lha::Error e);

}  // namespace unlha
