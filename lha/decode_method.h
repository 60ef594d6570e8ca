// Maps a member's method id to its decoder; every decoder has the same small contract.
#pragma once

#include "decode_window.h"
#include "error.h"
#include "stream.h"

#include <cstdint>
#include <string_view>

namespace lha {

enum class DecodeMethod { Stored, Lh1, Lh4, Lh5, Lh6, Lh7, Lzs, Lz5, Directory, Unknown };

// The method for a five-character id such as "-lh5-"; Unknown for anything else.
DecodeMethod methodFromId(std::string_view id);

// Each decoder reads at most `compressedSize` bytes from `in` and writes exactly
// out.size() bytes to `out` unless it fails. Returns Corrupt for an invalid stream,
// Truncated when `in` ends early, ReadFailed / WriteFailed for stream errors.
// CRC checking is the caller's job (out.crc()).
Error decodeStored(InputStream& in, std::uint64_t compressedSize, OutputWindow& out);
Error decodeLh1(InputStream& in, std::uint64_t compressedSize, OutputWindow& out);
Error decodeLh4(InputStream& in, std::uint64_t compressedSize, OutputWindow& out);
Error decodeLh5(InputStream& in, std::uint64_t compressedSize, OutputWindow& out);
Error decodeLh6(InputStream& in, std::uint64_t compressedSize, OutputWindow& out);
Error decodeLh7(InputStream& in, std::uint64_t compressedSize, OutputWindow& out);
Error decodeLzs(InputStream& in, std::uint64_t compressedSize, OutputWindow& out);
Error decodeLz5(InputStream& in, std::uint64_t compressedSize, OutputWindow& out);

// Runs the decoder for `method`; UnknownMethod for Unknown, Ok with no output for Directory.
Error decodeMember(DecodeMethod method, InputStream& in, std::uint64_t compressedSize, OutputWindow& out);

}  // namespace lha
