// The code pages' characters one at a time, for the decoders of this library: 1252, and 932
// (Microsoft's Shift_JIS with the NEC and IBM extensions) with JIS X 0208 codes read through it.
#pragma once

namespace mailtext {

// The character of byte `b` in code page 1252, or 0 for the five bytes it leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D).
char32_t Cp1252Char(unsigned char b);

// Lead bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsCp932Lead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Bytes that may follow a lead byte: 0x40-0x7E and 0x80-0xFC.
constexpr bool IsCp932Trail(unsigned b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Lead bytes 0xF0-0xF9: the user-defined area, which Windows maps to private use U+E000-U+E757.
constexpr bool IsCp932UserDefinedLead(unsigned b) { return b >= 0xF0 && b <= 0xF9; }

// The character of a double-byte code, or 0 when the pair is not a valid lead and trail or no
// character is assigned to it. The user-defined area gives its private-use characters.
char32_t Cp932Char(unsigned lead, unsigned trail);

// The character of JIS X 0208 row and cell (1-94 each, as in ISO-2022-JP and EUC-JP after taking
// off 0x20 or 0xA0) as code page 932 reads the same code: its NEC row 13 and the NEC-selected
// IBM rows 89-92 come along. 0 when out of range or unassigned.
char32_t JisRowCellChar(unsigned row, unsigned cell);

}  // namespace mailtext
