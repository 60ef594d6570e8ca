// libFuzzer target for the archive reader: walks every member of the input and extracts
// each to a null sink. Any crash, hang or sanitizer report is a reader bug.
#include "lha/reader.h"

#include <cstddef>
#include <cstdint>

namespace {

class NullOutput final : public lha::OutputStream {
public:
    bool write(const std::uint8_t*, std::size_t) override { return true; }
};

// The formats allow about 16 MiB of output per few bytes of input, so a large claimed size
// is legitimate but only slows the fuzzer; such members are refused.
constexpr std::uint64_t kMaxExtract = 8u << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lha::MemoryInput in(data, size);
    lha::ArchiveReader reader(in);
    reader.setSizeLimit(kMaxExtract);
    for (int members = 0; members < 10000; ++members) {
        lha::MemberInfo info;
        if (reader.next(info) != lha::Error::Ok || reader.atEnd()) break;
        NullOutput out;
        reader.extract(out);
    }
    return 0;
}
