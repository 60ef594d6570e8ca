// Writes the demo's address book (a real .wab file in the WAB4 layout, from the tests' writer):
// make_sample_book OUT.wab
#include <cstdio>

#include "sample_book.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_book OUT.wab\n");
        return 2;
    }
    if (!wabw::Write(wabw::SampleBook()).writeTo(argv[1])) {
        std::fprintf(stderr, "make_sample_book: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
