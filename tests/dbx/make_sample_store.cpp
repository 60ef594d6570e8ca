// make_sample_store OUTDIR: writes the demo's Outlook Express 5 store folder (sample_store.h).
#include <cstdio>

#include "sample_store.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_store OUTDIR\n");
        return 2;
    }
    const std::vector<sample::SampleFolder> folders = sample::WriteSampleStore(argv[1]);
    if (folders.empty()) return 1;
    std::size_t messages = 0;
    for (const sample::SampleFolder& f : folders) messages += f.texts.size();
    std::printf("%zu folders, %zu messages written to %s\n", folders.size(), messages, argv[1]);
    return 0;
}
