// The demo's address book: a dozen contacts, Japanese and Western, two groups, one deleted
// entry, as a Japanese Outlook Express 6 keeps them (UTF-16 text, two older entries in 8-bit
// code page 932). make_sample_book writes it; the fuzzer's seeds start from it.
#pragma once

#include "wab_writer.h"

namespace wabw {

Book SampleBook();

}  // namespace wabw
