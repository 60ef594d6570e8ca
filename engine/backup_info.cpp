#include "engine/backup_info.h"

#include "platform/ansi.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace engine {

double LeadingNumber(const std::wstring& value) {
    std::size_t i = value.find_first_not_of(L" \t");
    if (i == std::wstring::npos) return 0;
    std::wstring number;
    if (value[i] == L'-' || value[i] == L'+') number += value[i++];
    bool point = false;
    for (; i < value.size(); ++i) {
        if (std::iswdigit(value[i])) {
            number += value[i];
        } else if (value[i] == L'.' && !point) {
            point = true;
            number += L'.';
        } else {
            break;
        }
    }
    return number.find_first_of(L"0123456789") == std::wstring::npos ? 0 : std::wcstod(number.c_str(), nullptr);
}

std::wstring InfoEntry(const wchar_t* key, const std::wstring& value) { return key + (L"=" + value); }

std::wstring TodayText() {
    wchar_t date[80] = {};
    const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 80);
    return n > 0 ? std::wstring(date) : std::wstring();
}

std::string InfoLineBytes(const std::wstring& line, bool& exact) {
    std::string bytes;
    exact = platform::WideToAnsi(line, bytes);
    if (!exact) {
        bytes.clear();
        for (std::size_t i = 0; i < line.size();) {
            // A surrogate pair is one character.
            const bool pair = IS_HIGH_SURROGATE(line[i]) && i + 1 < line.size() && IS_LOW_SURROGATE(line[i + 1]);
            const std::size_t len = pair ? 2 : 1;
            std::string one;
            bytes += platform::WideToAnsi(line.substr(i, len), one) ? one : std::string("_");
            i += len;
        }
    }
    return bytes + "\r\n";
}

}  // namespace engine
