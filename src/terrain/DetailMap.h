#pragma once
// Detail map tags ('dmap'): a material index per vertex and per triangle of a mesh's grid and a
// table of 128 materials. Versions 1 and 2 are read; version 2 is the only one written.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tagstore/FieldLayout.h"

namespace brae {

class ByteSource;
class FileStream;
struct TagHeader;

constexpr int kDetailMaterialCount = 128;
constexpr uint32_t kNoDetailTexture = 0xFFFFFFFFu;
constexpr uint16_t kDetailMapVersion = 2;
constexpr size_t kDetailMapHeaderSize = 256;
constexpr size_t kDetailMapV1HeaderSize = 656;

// The stored 64-byte material entry, host order.
struct DetailMaterialEntry {
  uint32_t texture = kNoDetailTexture;  // 'dtex' tag id
  uint8_t scale_minus_one = 0;
  uint8_t highlight[3] = {};
  uint32_t reserved[6] = {};
  char description[32] = {};

  // The description up to its terminating zero (at most 31 characters are used).
  std::string Description() const;
  void SetDescription(const std::string& text);
};
static_assert(sizeof(DetailMaterialEntry) == 64, "a material entry is 64 bytes");

struct DetailMaterial {
  int scale = 1;  // detail texture pixels per cell, 1-256
  DetailMaterialEntry entry;
};

struct DetailMap {
  int width = 0;  // vertices
  int height = 0;
  DetailMaterial materials[kDetailMaterialCount];
  std::vector<uint8_t> vertex_details;    // width * height, row-major
  std::vector<uint8_t> triangle_details;  // width * height cells of (triangle 0, triangle 1)

  uint8_t VertexMaterial(int x, int y) const { return vertex_details[size_t(y) * width + x]; }
  uint8_t TriangleMaterial(int x, int y, int t) const {
    return triangle_details[2 * (size_t(y) * width + x) + (t & 1)];
  }
  // Whether any vertex or triangle uses the material.
  bool IsMaterialUsed(int material) const;
};

const FieldLayout& DetailMaterialLayout();

// The detail map viewer's text: "%s - %s\n" (four-character tag id, the tag's name or
// "<not found>") for each material whose texture id is not 0xFFFFFFFF. tag_name gives the name
// of a 'dtex' tag, or false when there is none.
std::string DetailTextureLines(const DetailMap& map,
                               const std::function<bool(uint32_t id, std::string* name)>& tag_name);

// Zeroed rasters and 128 zeroed materials.
DetailMap CreateBlankDetailMap(int width, int height);

// Reads the tag data of a detail map of version 1 or 2. nullopt for any other version or when
// anything is missing or inconsistent; error receives a short reason.
std::optional<DetailMap> ReadDetailMap(ByteSource& data, uint16_t version,
                                       std::string* error = nullptr);
std::optional<DetailMap> ReadDetailMap(FileStream& stream, const TagHeader& header,
                                       std::string* error = nullptr);

// The version 2 tag data.
std::vector<uint8_t> SerializeDetailMap(const DetailMap& map);
// Writes version 2 at header->offset and sets header->version to 2. Returns the number of
// bytes written (the tag's data length), or 0 when a seek or write failed.
size_t WriteDetailMap(const DetailMap& map, FileStream& stream, TagHeader* header);

}  // namespace brae
