// Report text and result codes.
#include "unlha32/report.h"

#include "platform/ansi.h"

#include <windows.h>

#include <cstring>

namespace unlha {

void Report::line(const std::wstring& text) { line(platform::ToAnsi(text)); }

void Report::fail(Result code, const std::wstring& message) {
    if (result_ == kOk) result_ = code;
    line(L"error " + std::to_wstring(static_cast<int>(code)) + L": " + message);
}

void Report::fail(Result code, const std::wstring& message, const std::string& ansiName) {
    if (result_ == kOk) result_ = code;
    std::string head;
    const std::wstring prefix = L"error " + std::to_wstring(static_cast<int>(code)) + L": " + message + L": ";
    for (wchar_t c : prefix) head.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    line(head + ansiName);
}

void Report::copyTo(char* buffer, unsigned long size) const {
    if (!buffer || size == 0) return;
    const std::size_t n = text_.size() < size - 1 ? text_.size() : size - 1;
    std::memcpy(buffer, text_.data(), n);
    buffer[n] = '\0';
}

Result ResultFor(lha::Error e, bool diskFull) {
    switch (e) {
    case lha::Error::Ok: return kOk;
    case lha::Error::Truncated:
    case lha::Error::BadHeader:
    case lha::Error::HeaderCrc:
    case lha::Error::UnknownMethod:
    case lha::Error::Corrupt: return kArchiveDamaged;
    case lha::Error::DataCrc: return kCrcError;
    case lha::Error::ReadFailed: return kCannotRead;
    case lha::Error::WriteFailed: return diskFull ? kDiskFull : kCannotWrite;
    case lha::Error::TooLarge: return kCannotWrite;
    case lha::Error::BadArgument: return kNameNotAnsi;
    }
    return kInternal;
}

std::wstring ErrorText(lha::Error e) {
    const char* t = lha::errorText(e);
    return std::wstring(t, t + std::strlen(t));
}

}  // namespace unlha
