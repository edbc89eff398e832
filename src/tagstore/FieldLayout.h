#pragma once
// Table-driven conversion of big-endian records.
//
// A layout is a list of 16-bit words: word 0 is the record size in its low 15 bits (bit 15
// asks readers to walk the layout first and, when the walked size differs, read through a
// temporary buffer); then (count, kind) pairs follow until the walked bytes reach the size.
// Kind bits 0-1 give the element width (1, 2 or 4 bytes); bit 2 (4) zeroes the elements
// (the input bytes are still skipped); bit 3 (8) copies without swapping; the kind 16 means
// that a nested layout follows and is applied count times in a row.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace brae {

class FileStream;

struct FieldLayout {
  FieldLayout(std::initializer_list<uint16_t> w) : words(w) {}
  std::vector<uint16_t> words;

  static constexpr uint16_t kWalkFirst = 0x8000;
  static constexpr uint16_t kZero = 4;
  static constexpr uint16_t kNoSwap = 8;
  static constexpr uint16_t kNested = 16;

  // Size of one record in memory (the stated size).
  size_t RecordSize() const { return words.empty() ? 0 : (words[0] & 0x7FFF); }
  // Bytes that one record occupies in files: the walked size.
  size_t WalkedSize() const;
};

// Converts count consecutive records in place (the same for both directions).
void ConvertRecords(void* buffer, size_t count, const FieldLayout& layout);
// Converts count records from file bytes (walked size each) into memory records (stated size).
void ConvertFromFile(const void* file_bytes, void* records, size_t count,
                     const FieldLayout& layout);
// Converts count memory records into file bytes (walked size each).
void ConvertToFile(const void* records, void* file_bytes, size_t count, const FieldLayout& layout);

// Reads count records and converts them; the bytes read, or 0 on a short read.
size_t ReadRecords(void* buffer, size_t count, const FieldLayout& layout, FileStream& stream);
// Converts into a temporary copy and writes it; the bytes written, or 0 on failure.
size_t WriteRecords(const void* buffer, size_t count, const FieldLayout& layout,
                    FileStream& stream);

}  // namespace brae
