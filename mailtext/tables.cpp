// Code page 1252's table, and lookups in the CP932 table generated at build time (gen_cp932.py).
#include "mailtext/tables.h"

#include "cp932_table.h"

namespace mailtext {
namespace {

// Code page 1252 at 0x80-0x9F (Unicode's CP1252.TXT); 0 where the byte is undefined. The rest
// of the code page is ISO 8859-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

}  // namespace

char32_t Cp1252Char(unsigned char b) { return b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : b; }

char32_t Cp932Char(unsigned lead, unsigned trail) {
    using namespace cp932_table;
    if (!IsCp932Lead(lead) || !IsCp932Trail(trail)) return 0;
    if (IsCp932UserDefinedLead(lead)) {
        // 188 codes per lead byte, in trail order with 0x7F left out.
        const unsigned index = trail - 0x40 - (trail > 0x7F ? 1 : 0);
        return 0xE000 + (lead - 0xF0) * 188 + index;
    }
    const unsigned leadIndex = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    const unsigned row = kRowOfLead[leadIndex];
    if (row == kNoRow) return 0;
    return kRows[row][trail - kTrailFirst];
}

char32_t JisRowCellChar(unsigned row, unsigned cell) {
    if (row < 1 || row > 94 || cell < 1 || cell > 94) return 0;
    // Shift_JIS packs two JIS rows into one lead byte: the odd row takes trail bytes 0x40-0x9E
    // (skipping 0x7F), the even row 0x9F-0xFC.
    const unsigned lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
    const unsigned trail = (row % 2) ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
    return Cp932Char(lead, trail);
}

}  // namespace mailtext
