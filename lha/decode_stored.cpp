// -lh0- / -lz4-: the member's bytes are stored unchanged.
#include "decode_method.h"

namespace lha {

Error decodeStored(InputStream& in, std::uint64_t compressedSize, OutputWindow& out) {
    // A stored member holds exactly its original bytes; any other size is a broken header.
    if (compressedSize != out.size()) return Error::Corrupt;
    std::uint8_t* ring = out.ring();
    std::uint64_t left = out.size();
    std::size_t pos = 0;
    while (left > 0) {
        std::size_t want = OutputWindow::kRingSize - pos;
        if (want > left) want = static_cast<std::size_t>(left);
        const std::size_t got = in.read(ring + pos, want);
        if (got == 0) return in.failed() ? Error::ReadFailed : Error::Truncated;
        pos += got;
        left -= got;
        if (Error e = out.flush(pos); e != Error::Ok) return e;
        if (pos == OutputWindow::kRingSize) pos = 0;
    }
    return Error::Ok;
}

}  // namespace lha
