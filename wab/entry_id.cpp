#include "wab/entry_id.h"

#include <cstring>

#include "dbx/source.h"
#include "wab/text.h"

namespace wab {
namespace {

constexpr std::uint8_t kOneOffUid[16] = {0x81, 0x2B, 0x1F, 0xA4, 0xBE, 0xA3, 0x10, 0x19,
                                         0x9D, 0x6E, 0x00, 0xDD, 0x01, 0x0F, 0x54, 0x02};
constexpr std::size_t kOneOffStrings = 24;  // flags, uid, version, flags
constexpr unsigned kOneOffUnicode = 0x8000;

bool IsOneOff(std::string_view b) {
    return b.size() >= kOneOffStrings && std::memcmp(b.data() + 4, kOneOffUid, sizeof kOneOffUid) == 0;
}

unsigned OneOffFlags(std::string_view b) {
    return static_cast<unsigned char>(b[22]) | static_cast<unsigned>(static_cast<unsigned char>(b[23])) << 8;
}

// Splits the three strings after the fixed part at their NULs (of `unit` bytes, on unit
// boundaries); false when fewer than three are there.
bool SplitStrings(std::string_view s, std::size_t unit, std::string_view out[3]) {
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        std::size_t end = at;
        while (end + unit <= s.size() && s.substr(end, unit).find_first_not_of('\0') != std::string_view::npos) end += unit;
        if (end + unit > s.size() && i < 2) return false;  // only the last may lack its NUL
        out[i] = s.substr(at, end - at);
        at = end + unit;
        if (at > s.size()) at = s.size();
    }
    return true;
}

}  // namespace

MemberId ParseEntryId(std::string_view bytes, unsigned codePage) {
    MemberId m;
    if (bytes.size() == 4) {
        m.kind = MemberId::Kind::Record;
        m.recordId = dbx::Le32(reinterpret_cast<const std::uint8_t*>(bytes.data()));
        return m;
    }
    if (!IsOneOff(bytes)) return m;
    const bool unicode = OneOffFlags(bytes) & kOneOffUnicode;
    std::string_view parts[3];
    if (!SplitStrings(bytes.substr(kOneOffStrings), unicode ? 2 : 1, parts)) return m;
    std::string* fields[3] = {&m.name, &m.addressType, &m.address};
    for (int i = 0; i < 3; ++i) *fields[i] = unicode ? Utf16Text(parts[i]) : Text8(parts[i], codePage);
    if (m.address.empty()) return m;
    m.kind = MemberId::Kind::OneOff;
    return m;
}

void OneOffStrings8(std::string_view bytes, std::string_view out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = {};
    if (!IsOneOff(bytes) || (OneOffFlags(bytes) & kOneOffUnicode)) return;
    if (!SplitStrings(bytes.substr(kOneOffStrings), 1, out))
        for (int i = 0; i < 3; ++i) out[i] = {};
}

}  // namespace wab
