#include "restoretool/replace_string.h"

namespace restoretool {

std::wstring ReplaceString(const std::wstring& text, const std::wstring& search, const std::wstring& replacement) {
    if (text.empty() || search.empty()) return text;
    std::wstring work = text;
    for (std::size_t at = work.find(search); at != std::wstring::npos; at = work.find(search, at + replacement.size()))
        work.replace(at, search.size(), replacement);
    return work;
}

}  // namespace restoretool
