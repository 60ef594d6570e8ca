// Method id lookup and decoder dispatch.
#include "decode_method.h"

namespace lha {

Method methodFromId(std::string_view id) {
    struct Entry { std::string_view id; Method method; };
    static constexpr Entry kMethods[] = {
        {"-lh0-", Method::Stored}, {"-lh1-", Method::Lh1}, {"-lh4-", Method::Lh4},
        {"-lh5-", Method::Lh5},    {"-lh6-", Method::Lh6}, {"-lh7-", Method::Lh7},
        {"-lhd-", Method::Directory}, {"-lzs-", Method::Lzs}, {"-lz5-", Method::Lz5},
        {"-lz4-", Method::Stored},  // LArc's uncompressed method
    };
    for (const Entry& e : kMethods)
        if (e.id == id) return e.method;
    return Method::Unknown;
}

Error decodeMember(Method method, InputStream& in, std::uint64_t compressedSize, OutputWindow& out) {
    switch (method) {
    case Method::Stored: return decodeStored(in, compressedSize, out);
    case Method::Lh1: return decodeLh1(in, compressedSize, out);
    case Method::Lh4: return decodeLh4(in, compressedSize, out);
    case Method::Lh5: return decodeLh5(in, compressedSize, out);
    case Method::Lh6: return decodeLh6(in, compressedSize, out);
    case Method::Lh7: return decodeLh7(in, compressedSize, out);
    case Method::Lzs: return decodeLzs(in, compressedSize, out);
    case Method::Lz5: return decodeLz5(in, compressedSize, out);
    case Method::Directory: return Error::Ok;
    case Method::Unknown: break;
    }
    return Error::UnknownMethod;
}

}  // namespace lha
