// Method id lookup and decoder dispatch.
#include "decode_method.h"

namespace lha {

DecodeMethod methodFromId(std::string_view id) {
    struct Entry { std::string_view id; DecodeMethod method; };
    static constexpr Entry kMethods[] = {
        {"-lh0-", DecodeMethod::Stored}, {"-lh1-", DecodeMethod::Lh1}, {"-lh4-", DecodeMethod::Lh4},
        {"-lh5-", DecodeMethod::Lh5},    {"-lh6-", DecodeMethod::Lh6}, {"-lh7-", DecodeMethod::Lh7},
        {"-lhd-", DecodeMethod::Directory}, {"-lzs-", DecodeMethod::Lzs}, {"-lz5-", DecodeMethod::Lz5},
        {"-lz4-", DecodeMethod::Stored},  // LArc's uncompressed method
    };
    for (const Entry& e : kMethods)
        if (e.id == id) return e.method;
    return DecodeMethod::Unknown;
}

Error decodeMember(DecodeMethod method, InputStream& in, std::uint64_t compressedSize, OutputWindow& out) {
    switch (method) {
    case DecodeMethod::Stored: return decodeStored(in, compressedSize, out);
    case DecodeMethod::Lh1: return decodeLh1(in, compressedSize, out);
    case DecodeMethod::Lh4: return decodeLh4(in, compressedSize, out);
    case DecodeMethod::Lh5: return decodeLh5(in, compressedSize, out);
    case DecodeMethod::Lh6: return decodeLh6(in, compressedSize, out);
    case DecodeMethod::Lh7: return decodeLh7(in, compressedSize, out);
    case DecodeMethod::Lzs: return decodeLzs(in, compressedSize, out);
    case DecodeMethod::Lz5: return decodeLz5(in, compressedSize, out);
    case DecodeMethod::Directory: return Error::Ok;
    case DecodeMethod::Unknown: break;
    }
    return Error::UnknownMethod;
}

}  // namespace lha
