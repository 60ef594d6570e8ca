#include "wab/text.h"

#include "mailtext/codepage.h"
#include "mailtext/utf.h"

namespace wab {

std::string Text8(std::string_view bytes, unsigned codePage) {
    return mailtext::ToUtf8(bytes.substr(0, bytes.find('\0')), codePage);
}

std::string Utf16Text(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit == 0) break;
        units.push_back(unit);
    }
    return mailtext::Utf16ToUtf8(units);
}

}  // namespace wab
