// Result codes shared by the archive reader and writer.
#pragma once

namespace lha {

enum class Error {
    Ok = 0,
    Truncated,       // input ended inside a header or member data
    BadHeader,       // a header field is malformed or out of range
    HeaderCrc,       // a level-2 header's CRC does not match
    UnknownMethod,   // compression method this library cannot handle
    Corrupt,         // compressed data is not a valid stream of its method
    DataCrc,         // decoded data does not match the member's CRC-16
    ReadFailed,      // the input stream reported an error
    WriteFailed,     // the output stream refused data (disk full, closed, ...)
    TooLarge,        // a size this library will not store or produce
    BadArgument,     // caller error: name empty or too long, bad option
};

// Short English description, for reports.
const char* errorText(Error e);

}  // namespace lha
