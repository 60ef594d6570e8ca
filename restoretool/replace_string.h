// The restore tool's own text replacement, used to put this machine's folders in place of the
// placeholders of a backed-up store root.
#pragma once

#include <string>

namespace restoretool {

// Every occurrence of `search` in `text`, left to right and compared case for case, replaced by
// `replacement`; the search goes on after the inserted text, so it is never searched again and
// matches never overlap ("AB" with A -> AA gives "AAB"). An empty text or search text gives the
// text unchanged.
std::wstring ReplaceString(const std::wstring& text, const std::wstring& search, const std::wstring& replacement);

}  // namespace restoretool
