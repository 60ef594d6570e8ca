// Seeds for the address book reader's fuzzer, written by the tests' writer: the demo book, and a
// small one with a group, a one-off member, 8-bit text and a deleted record.
#include <cstdio>
#include <string>

#include "sample_book.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_wab_fuzz_seeds DIR\n");
        return 2;
    }
    using namespace wabw;
    const std::string dir = argv[1];
    Book small;
    small.records = {
        {1, {Long(kObjectType, 6), Ansi(kDisplayName, "\x94\x5c\x93\x6f"), MvAnsi(kEmails, {"a@example.jp", "b@example.jp"}),
             Long(kDefaultIndex, 1), Unicode(kComment, "x\r\ny")}, false, true, ""},
        {2, {Long(kObjectType, 8), Unicode(kDisplayName, "G"),
             MvBinary(kDlEntries, {RecordEntryId(1), OneOff("C", "SMTP", "c@example.org", false)})}, false, true, "G"},
        {3, {Long(kObjectType, 6), Unicode(kDisplayName, "gone")}, true, true, ""},
    };
    small.spareSlots = 1;
    bool ok = Write(SampleBook()).writeTo(dir + "/sample.wab");
    ok = Write(small).writeTo(dir + "/small.wab") && ok;
    return ok ? 0 : 1;
}
