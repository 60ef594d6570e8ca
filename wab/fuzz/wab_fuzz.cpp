// libFuzzer target for the address book reader: reads the input as a .wab file with the code
// page chosen from its text and with a given one, and writes what it read as vCards and CSV.
// Any crash, hang, sanitizer report or runaway memory is a bug; so is a preferred address that
// is not one of the contact's.
#include <cstddef>
#include <cstdint>

#include "mailout/contacts.h"
#include "wab/book.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    dbx::MemorySource src(data, size);
    for (unsigned cp : {0u, 932u}) {
        const wab::Book book = wab::ReadBook(src, cp);
        for (const wab::Contact& c : book.contacts)
            if (c.emails.empty() ? c.preferredEmail != 0 : c.preferredEmail >= c.emails.size()) __builtin_trap();
        mailout::VCards(book);
        mailout::ContactsCsv(book);
    }
    return 0;
}
