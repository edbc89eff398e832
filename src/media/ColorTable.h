#pragma once
// Adobe colour tables (".act"): 256 RGB triples, optionally followed by a count and a
// transparent-colour index (big-endian words).

#include <string>
#include <vector>

#include "media/Image.h"

namespace brae {

constexpr size_t kColorTableBytes = 768;
constexpr size_t kColorTableWithCountBytes = 772;

// Reads a table; entries from the count on are cleared. A count word above 256 is taken as
// 256. False when the file cannot be read or holds fewer than 768 bytes.
bool ReadColorTable(const std::string& path, Rgb table[kMaxPaletteSize], int* count);
// Parses the bytes of a table file.
bool ParseColorTable(const uint8_t* bytes, size_t size, Rgb table[kMaxPaletteSize], int* count);

// Writes count entries (0-256); fewer than 256 give the 772-byte form with the count.
bool WriteColorTable(const std::string& path, const Rgb table[kMaxPaletteSize], int count);
bool EncodeColorTable(const Rgb table[kMaxPaletteSize], int count, std::vector<uint8_t>* out);

}  // namespace brae
