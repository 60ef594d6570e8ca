#include "error.h"

namespace lha {

const char* errorText(Error e) {
    switch (e) {
    case Error::Ok: return "ok";
    case Error::Truncated: return "archive is truncated";
    case Error::BadHeader: return "bad member header";
    case Error::HeaderCrc: return "header CRC error";
    case Error::UnknownMethod: return "unknown compression method";
    case Error::Corrupt: return "compressed data is damaged";
    case Error::DataCrc: return "CRC error";
    case Error::ReadFailed: return "cannot read the archive";
    case Error::WriteFailed: return "cannot write";
    case Error::TooLarge: return "member is too large";
    case Error::BadArgument: return "bad argument";
    }
    return "unknown error";
}

}  // namespace lha
