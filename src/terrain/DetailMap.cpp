#include "terrain/DetailMap.h"

#include <algorithm>
#include <cstring>

#include "tagstore/ByteOrder.h"
#include "tagstore/FileStream.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagHeader.h"
#include "terrain/ByteSource.h"
#include "terrain/RunLength.h"

namespace brae {

namespace {

constexpr size_t kMaterialTableBytes = kDetailMaterialCount * sizeof(DetailMaterialEntry);
// The largest grid accepted from a file, whatever it claims.
constexpr uint64_t kMaxDetailElements = uint64_t(1) << 28;

void Fail(std::string* error, const char* text) {
  if (error) *error = text;
}

bool CheckDimensions(uint32_t w, uint32_t h, std::string* error) {
  if (w > kMaxDetailElements || h > kMaxDetailElements ||
      uint64_t(w) * uint64_t(h) > kMaxDetailElements) {
    Fail(error, "the detail map's dimensions are too large");
    return false;
  }
  return true;
}

std::optional<DetailMap> ReadVersion2(ByteSource& data, std::string* error) {
  uint8_t head[kDetailMapHeaderSize];
  if (!data.ReadAt(0, head, sizeof head)) {
    Fail(error, "the detail map header is incomplete");
    return std::nullopt;
  }
  const uint32_t w = LoadBE32(head), h = LoadBE32(head + 4);
  const uint32_t vertex_offset = LoadBE32(head + 8);
  const uint32_t triangle_offset = LoadBE32(head + 16);
  const uint32_t material_offset = LoadBE32(head + 24);
  if (!CheckDimensions(w, h, error)) return std::nullopt;

  DetailMap map;
  map.width = int(w);
  map.height = int(h);
  uint8_t table[kMaterialTableBytes];
  if (!data.ReadAt(material_offset, table, sizeof table)) {
    Fail(error, "the material table is incomplete");
    return std::nullopt;
  }
  for (int i = 0; i < kDetailMaterialCount; ++i) {
    DetailMaterial& m = map.materials[i];
    ConvertFromFile(table + 64 * i, &m.entry, 1, DetailMaterialLayout());
    m.scale = int(m.entry.scale_minus_one) + 1;
  }
  const size_t elements = size_t(w) * h;
  if (!DecodeRunLength(data, vertex_offset, elements, &map.vertex_details)) {
    Fail(error, "the per-vertex stream is damaged");
    return std::nullopt;
  }
  if (!DecodeRunLength(data, triangle_offset, 2 * elements, &map.triangle_details)) {
    Fail(error, "the per-triangle stream is damaged");
    return std::nullopt;
  }
  return map;
}

std::optional<DetailMap> ReadVersion1(ByteSource& data, std::string* error) {
  uint8_t head[kDetailMapV1HeaderSize];
  if (!data.ReadAt(0, head, sizeof head)) {
    Fail(error, "the detail map header is incomplete");
    return std::nullopt;
  }
  const uint32_t w = LoadBE32(head), h = LoadBE32(head + 4);
  if (!CheckDimensions(w, h, error)) return std::nullopt;
  const size_t elements = size_t(w) * h;
  if (!data.Has(kDetailMapV1HeaderSize, elements)) {
    Fail(error, "the per-vertex details are incomplete");
    return std::nullopt;
  }
  DetailMap map = CreateBlankDetailMap(int(w), int(h));
  for (int i = 0; i < kDetailMaterialCount; ++i) {
    DetailMaterial& m = map.materials[i];
    m.entry.texture = LoadBE32(head + 16 + 4 * i);
    const uint8_t stored = head[528 + i];
    m.scale = stored < 2 ? 1 : stored;
    m.entry.scale_minus_one = uint8_t(m.scale - 1);
  }
  if (elements && !data.ReadAt(kDetailMapV1HeaderSize, map.vertex_details.data(), elements)) {
    Fail(error, "the per-vertex details could not be read");
    return std::nullopt;
  }
  return map;
}

}  // namespace

std::string DetailMaterialEntry::Description() const {
  return std::string(description, strnlen(description, sizeof description));
}

void DetailMaterialEntry::SetDescription(const std::string& text) {
  std::memset(description, 0, sizeof description);
  std::memcpy(description, text.data(), std::min(text.size(), sizeof description - 1));
}

bool DetailMap::IsMaterialUsed(int material) const {
  const uint8_t value = uint8_t(material);
  return std::find(vertex_details.begin(), vertex_details.end(), value) != vertex_details.end() ||
         std::find(triangle_details.begin(), triangle_details.end(), value) !=
             triangle_details.end();
}

const FieldLayout& DetailMaterialLayout() {
  // Tag id, scale byte and highlight colour, six reserved words, description.
  static const FieldLayout layout{64, 1, 2, 4, 0, 6, 6, 32, 0};
  return layout;
}

std::string DetailTextureLines(
    const DetailMap& map, const std::function<bool(uint32_t id, std::string* name)>& tag_name) {
  std::string text;
  for (const DetailMaterial& m : map.materials) {
    const uint32_t id = m.entry.texture;
    if (id == kNoDetailTexture) continue;
    std::string code = FourCCToString(id);
    for (char& c : code) {
      if (static_cast<unsigned char>(c) < 32) c = ' ';  // a zeroed id holds NULs
    }
    std::string name;
    if (!tag_name || !tag_name(id, &name)) name = "<not found>";
    text += code + " - " + name + "\n";
  }
  return text;
}

DetailMap CreateBlankDetailMap(int width, int height) {
  DetailMap map;
  map.width = std::max(width, 0);
  map.height = std::max(height, 0);
  const size_t elements = size_t(map.width) * size_t(map.height);
  map.vertex_details.assign(elements, 0);
  map.triangle_details.assign(2 * elements, 0);
  for (DetailMaterial& m : map.materials) {
    m.scale = 1;
    m.entry = DetailMaterialEntry();
    m.entry.texture = 0;
  }
  return map;
}

std::optional<DetailMap> ReadDetailMap(ByteSource& data, uint16_t version, std::string* error) {
  if (version == 2) return ReadVersion2(data, error);
  if (version == 1) return ReadVersion1(data, error);
  Fail(error, "the detail map is neither of version 1 nor of version 2");
  return std::nullopt;
}

std::optional<DetailMap> ReadDetailMap(FileStream& stream, const TagHeader& header,
                                       std::string* error) {
  FileSource source(stream, header.offset);
  return ReadDetailMap(source, header.version, error);
}

std::vector<uint8_t> SerializeDetailMap(const DetailMap& map) {
  const size_t elements = size_t(map.width) * size_t(map.height);
  std::vector<uint8_t> out(kDetailMapHeaderSize + kMaterialTableBytes, 0);
  for (int i = 0; i < kDetailMaterialCount; ++i) {
    DetailMaterialEntry entry = map.materials[i].entry;
    entry.scale_minus_one = uint8_t(std::clamp(map.materials[i].scale, 1, 256) - 1);
    std::memset(entry.reserved, 0, sizeof entry.reserved);
    ConvertToFile(&entry, out.data() + kDetailMapHeaderSize + 64 * i, 1, DetailMaterialLayout());
  }
  const uint32_t vertex_offset = uint32_t(out.size());
  const std::vector<uint8_t> vertex_stream =
      EncodeRunLength(map.vertex_details.data(), std::min(elements, map.vertex_details.size()));
  out.insert(out.end(), vertex_stream.begin(), vertex_stream.end());
  const uint32_t triangle_offset = uint32_t(out.size());
  const std::vector<uint8_t> triangle_stream = EncodeRunLength(
      map.triangle_details.data(), std::min(2 * elements, map.triangle_details.size()));
  out.insert(out.end(), triangle_stream.begin(), triangle_stream.end());

  StoreBE32(out.data(), uint32_t(map.width));
  StoreBE32(out.data() + 4, uint32_t(map.height));
  StoreBE32(out.data() + 8, vertex_offset);
  StoreBE32(out.data() + 16, triangle_offset);
  StoreBE32(out.data() + 24, uint32_t(kDetailMapHeaderSize));
  return out;
}

size_t WriteDetailMap(const DetailMap& map, FileStream& stream, TagHeader* header) {
  header->version = kDetailMapVersion;
  const std::vector<uint8_t> bytes = SerializeDetailMap(map);
  if (!stream.Seek(header->offset) || !stream.Write(bytes.data(), bytes.size())) return 0;
  return bytes.size();
}

}  // namespace brae
