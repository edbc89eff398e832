#pragma once
// The detail map's run-length streams: byte pairs (value, count - 1), each pair standing for
// 1 to 256 copies of value.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brae {

class ByteSource;

// Codes greedily, taking at each position the longest run of equal bytes up to 256.
std::vector<uint8_t> EncodeRunLength(const uint8_t* bytes, size_t count);

// Decodes pairs from position until exactly expected bytes have come out. Fails (false) when
// the stream ends early or a pair would run past the expected length. bytes_read receives
// the coded length.
bool DecodeRunLength(ByteSource& source, uint64_t position, size_t expected,
                     std::vector<uint8_t>* out, uint64_t* bytes_read = nullptr);

}  // namespace brae
