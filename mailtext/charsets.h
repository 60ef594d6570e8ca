// MIME charsets to UTF-8, for the charsets Outlook Express wrote and received: US-ASCII, UTF-8,
// the Western single-byte sets and the three Japanese encodings of mail.
#pragma once

#include <string>
#include <string_view>

namespace mailtext {

// True when DecodeCharset knows `mimeCharsetName` (case-insensitive, blanks around it ignored).
bool IsKnownCharset(std::string_view mimeCharsetName);

// Decodes `bytes` in the MIME charset `mimeCharsetName` into `utf8` (replacing what it held).
// Returns false, leaving `utf8` alone, for an unknown charset. Bytes with no character become U+FFFD and set
// *exact to false (left alone otherwise). Names:
//   us-ascii, ascii: 8-bit bytes are not ASCII and become U+FFFD (the caller may try its
//     fallback code page);
//   utf-8, utf8;
//   iso-8859-1, iso_8859-1, latin1, l1: read as windows-1252, which is what mail labelled so
//     holds in practice ("smart quotes" and the euro sign); bytes 1252 leaves undefined keep
//     their ISO 8859-1 meaning;
//   windows-1252, cp1252;
//   shift_jis, shift-jis, sjis, x-sjis, ms_kanji, cp932, windows-31j: code page 932;
//   iso-2022-jp (RFC 1468): ESC ( B and ESC ( J switch to ASCII (code page 932 reads JIS-Roman's
//     yen sign byte as the backslash, and so does this), ESC $ @ and ESC $ B to JIS X 0208, ESC
//     ( I and SO/SI to half-width katakana; a line end returns to ASCII;
//   euc-jp, x-euc-jp: JIS X 0208 and half-width katakana (SS2); JIS X 0212 (SS3) becomes U+FFFD.
// The JIS X 0208 codes are read through the code page 932 table, as Windows does for mail.
bool DecodeCharset(std::string_view bytes, std::string_view mimeCharsetName, std::string& utf8,
                   bool* exact = nullptr);

}  // namespace mailtext
