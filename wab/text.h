// Stored strings to UTF-8: 8-bit text in the book's code page, UTF-16LE text as it is. Both end
// at their first NUL; what follows it is padding.
#pragma once

#include <string>
#include <string_view>

namespace wab {

// 8-bit text in `codePage` (mailtext's code pages; an unknown one gives U+FFFD for 8-bit bytes).
std::string Text8(std::string_view bytes, unsigned codePage);

// UTF-16LE text; an odd last byte is ignored, an unpaired surrogate becomes U+FFFD.
std::string Utf16Text(std::string_view bytes);

}  // namespace wab
