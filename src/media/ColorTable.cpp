#include "media/ColorTable.h"

#include <cstdio>
#include <vector>

#include "tagstore/ByteOrder.h"
#include "tagstore/FileStream.h"

namespace brae {

bool ParseColorTable(const uint8_t* bytes, size_t size, Rgb table[kMaxPaletteSize], int* count) {
  if (size < kColorTableBytes) return false;
  int n = kMaxPaletteSize;
  if (size >= kColorTableBytes + 2) {
    n = LoadBE16(bytes + kColorTableBytes);
    if (n > kMaxPaletteSize) n = kMaxPaletteSize;
  }
  for (int i = 0; i < kMaxPaletteSize; ++i) {
    table[i] = i < n ? Rgb{bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]} : Rgb{};
  }
  *count = n;
  return true;
}

bool ReadColorTable(const std::string& path, Rgb table[kMaxPaletteSize], int* count) {
  FileStream stream;
  if (!stream.Open(path, FileStream::kRead)) return false;
  const uint64_t length = stream.Length();
  if (length < kColorTableBytes) return false;
  uint8_t bytes[kColorTableWithCountBytes] = {};
  const size_t wanted = length >= kColorTableBytes + 2 ? kColorTableBytes + 2 : kColorTableBytes;
  if (!stream.Read(bytes, wanted)) return false;
  return ParseColorTable(bytes, wanted, table, count);
}

bool EncodeColorTable(const Rgb table[kMaxPaletteSize], int count, std::vector<uint8_t>* out) {
  if (count < 0 || count > kMaxPaletteSize) return false;
  out->assign(count == kMaxPaletteSize ? kColorTableBytes : kColorTableWithCountBytes, 0);
  for (int i = 0; i < count; ++i) {
    (*out)[3 * size_t(i)] = table[i].r;
    (*out)[3 * size_t(i) + 1] = table[i].g;
    (*out)[3 * size_t(i) + 2] = table[i].b;
  }
  if (count != kMaxPaletteSize) {
    StoreBE16(out->data() + kColorTableBytes, uint16_t(count));
    StoreBE16(out->data() + kColorTableBytes + 2, 0xFFFF);  // no transparent colour
  }
  return true;
}

bool WriteColorTable(const std::string& path, const Rgb table[kMaxPaletteSize], int count) {
  std::vector<uint8_t> bytes;
  if (!EncodeColorTable(table, count, &bytes)) return false;
  FileStream stream;
  if (!stream.Open(path, FileStream::kCreate)) return false;
  const bool written = stream.Write(bytes.data(), bytes.size());
  return stream.Close() && written;
}

}  // namespace brae
