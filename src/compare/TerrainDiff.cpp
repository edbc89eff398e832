// Meshes and detail maps compared: header fields, how many vertices or cells changed and
// where, and the material table.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "compare/TagDiff.h"
#include "tagstore/FourCCText.h"
#include "terrain/ByteSource.h"
#include "terrain/DetailMap.h"
#include "terrain/Mesh.h"

namespace brae {

namespace {

void Add(std::vector<TagDifference>* out, const std::string& path, const std::string& a,
         const std::string& b) {
  if (a != b) out->push_back({path, a, b});
}

// The grid points where something changed: how many, and the rectangle around them.
class ChangedArea {
 public:
  void Note(int x, int y) {
    ++count_;
    x0_ = std::min(x0_, x);
    y0_ = std::min(y0_, y);
    x1_ = std::max(x1_, x);
    y1_ = std::max(y1_, y);
  }
  // "N <what> in (x0, y0)-(x1, y1)", or empty when nothing changed.
  std::string Text(const char* what) const {
    if (!count_) return "";
    return std::to_string(count_) + " " + what + " in (" + std::to_string(x0_) + ", " +
           std::to_string(y0_) + ")-(" + std::to_string(x1_) + ", " + std::to_string(y1_) + ")";
  }

 private:
  size_t count_ = 0;
  int x0_ = INT_MAX, y0_ = INT_MAX, x1_ = INT_MIN, y1_ = INT_MIN;
};

void AddArea(std::vector<TagDifference>* out, const std::string& path, const ChangedArea& area,
             const char* what) {
  std::string text = area.Text(what);
  if (!text.empty()) out->push_back({path, "", text});
}

std::string IdOrNone(uint32_t id) {
  return id == 0xFFFFFFFFu ? "none" : FourCCText(id);
}

std::string Text(const char* field, size_t size) {
  return std::string(field, strnlen(field, size));
}

std::string Side(int side) {
  return side ? "new copy: " : "old copy: ";
}

// The header's bytes outside the named fields, compared as ranges.
struct NamedField {
  const char* name;
  size_t offset, size;
};
constexpr NamedField kMeshFields[] = {{"colour_map", 0, 4},    {"media", 4, 4},
                                      {"chunks_x", 8, 2},      {"chunks_y", 10, 2},
                                      {"shade_below", 88, 2},  {"shade_above", 90, 2},
                                      {"shade_colour", 92, 6}, {"shade_midpoint", 108, 4},
                                      {"text_300", 300, 64},   {"text_364", 364, 64},
                                      {"text_428", 428, 64},   {"text_516", 516, 32}};

void CompareMeshHeaders(const Mesh& a, const Mesh& b, const TagCopy& ca, const TagCopy& cb,
                        std::vector<TagDifference>* out) {
  const MeshHeader& p = a.header;
  const MeshHeader& q = b.header;
  Add(out, "colour_map", FourCCText(p.colour_map), FourCCText(q.colour_map));
  Add(out, "media", IdOrNone(p.media), IdOrNone(q.media));
  Add(out, "chunks_x", std::to_string(p.chunks_x), std::to_string(q.chunks_x));
  Add(out, "chunks_y", std::to_string(p.chunks_y), std::to_string(q.chunks_y));
  Add(out, "shade_below", std::to_string(p.shade_below), std::to_string(q.shade_below));
  Add(out, "shade_above", std::to_string(p.shade_above), std::to_string(q.shade_above));
  auto colour = [](const MeshHeader& h) {
    return std::to_string(h.shade_colour[0]) + " " + std::to_string(h.shade_colour[1]) + " " +
           std::to_string(h.shade_colour[2]);
  };
  Add(out, "shade_colour", colour(p), colour(q));
  Add(out, "shade_midpoint", std::to_string(p.shade_midpoint), std::to_string(q.shade_midpoint));
  Add(out, "text_300", Text(p.text_300, 64), Text(q.text_300, 64));
  Add(out, "text_364", Text(p.text_364, 64), Text(q.text_364, 64));
  Add(out, "text_428", Text(p.text_428, 64), Text(q.text_428, 64));
  Add(out, "text_516", Text(p.text_516, 32), Text(q.text_516, 32));
  // The carried fields, as stored: the named ones are blanked on both sides first.
  std::vector<uint8_t> ha(ca.data.begin(), ca.data.begin() + sizeof(MeshHeader));
  std::vector<uint8_t> hb(cb.data.begin(), cb.data.begin() + sizeof(MeshHeader));
  for (const NamedField& f : kMeshFields) {
    std::fill_n(ha.begin() + long(f.offset), f.size, 0);
    std::fill_n(hb.begin() + long(f.offset), f.size, 0);
  }
  std::vector<TagDifference> carried;
  CompareBytes(ha, hb, &carried);
  for (TagDifference& d : carried) out->push_back({"header " + d.path, d.old_value, d.new_value});
}

}  // namespace

bool CompareMeshes(const TagCopy& old_copy, const TagCopy& new_copy, TagDiff* out) {
  std::optional<Mesh> meshes[2];
  const TagCopy* copies[2] = {&old_copy, &new_copy};
  for (int side = 0; side < 2; ++side) {
    MemorySource source(copies[side]->data);
    std::string error;
    meshes[side] = ReadMesh(source, copies[side]->header.version, &error);
    if (!meshes[side]) {
      out->ok = false;
      out->error = Side(side) + error;
      return false;
    }
  }
  const Mesh& a = *meshes[0];
  const Mesh& b = *meshes[1];
  CompareMeshHeaders(a, b, old_copy, new_copy, &out->differences);
  ChangedArea heights, media, flags;
  for (int y = 0; y < std::min(a.height, b.height); ++y)
    for (int x = 0; x < std::min(a.width, b.width); ++x) {
      const MeshVertex& p = a.At(x, y);
      const MeshVertex& q = b.At(x, y);
      if (p.height != q.height) heights.Note(x, y);
      if (p.media_height != q.media_height) media.Note(x, y);
      if (p.flags != q.flags) flags.Note(x, y);
    }
  AddArea(&out->differences, "vertices.height", heights, "vertices");
  AddArea(&out->differences, "vertices.media_height", media, "vertices");
  AddArea(&out->differences, "vertices.flags", flags, "vertices");
  return true;
}

// ---- detail maps

namespace {

std::string Highlight(const DetailMaterialEntry& e) {
  return std::to_string(e.highlight[0]) + " " + std::to_string(e.highlight[1]) + " " +
         std::to_string(e.highlight[2]);
}

// Where the raster changed, and for each material involved how many of the changed vertices
// (or triangles) used it before (old) and use it now (new).
void CompareRaster(const std::string& name, const std::vector<uint8_t>& a,
                   const std::vector<uint8_t>& b, int width, int per_cell, const char* what,
                   std::vector<TagDifference>* out) {
  ChangedArea area;
  std::vector<size_t> lost(256, 0), gained(256, 0);
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] == b[i]) continue;
    const size_t cell = i / size_t(per_cell);
    area.Note(int(cell % size_t(width)), int(cell / size_t(width)));
    ++lost[a[i]];
    ++gained[b[i]];
  }
  AddArea(out, name, area, what);
  for (int m = 0; m < 256; ++m)
    if (lost[size_t(m)] || gained[size_t(m)])
      out->push_back({name + "[material " + std::to_string(m) + "]",
                      std::to_string(lost[size_t(m)]) + " " + what,
                      std::to_string(gained[size_t(m)]) + " " + what});
}

}  // namespace

bool CompareDetailMaps(const TagCopy& old_copy, const TagCopy& new_copy, TagDiff* out) {
  std::optional<DetailMap> maps[2];
  const TagCopy* copies[2] = {&old_copy, &new_copy};
  for (int side = 0; side < 2; ++side) {
    MemorySource source(copies[side]->data);
    std::string error;
    maps[side] = ReadDetailMap(source, copies[side]->header.version, &error);
    if (!maps[side]) {
      out->ok = false;
      out->error = Side(side) + error;
      return false;
    }
  }
  const DetailMap& a = *maps[0];
  const DetailMap& b = *maps[1];
  std::vector<TagDifference>* rows = &out->differences;
  Add(rows, "width", std::to_string(a.width), std::to_string(b.width));
  Add(rows, "height", std::to_string(a.height), std::to_string(b.height));
  if (a.width == b.width && a.height == b.height) {
    CompareRaster("vertex_details", a.vertex_details, b.vertex_details, a.width, 1, "vertices",
                  rows);
    CompareRaster("triangle_details", a.triangle_details, b.triangle_details, a.width, 2,
                  "triangles", rows);
  }
  for (int m = 0; m < kDetailMaterialCount; ++m) {
    const DetailMaterial& p = a.materials[m];
    const DetailMaterial& q = b.materials[m];
    const std::string path = "materials[" + std::to_string(m) + "]";
    Add(rows, path + ".texture", IdOrNone(p.entry.texture), IdOrNone(q.entry.texture));
    Add(rows, path + ".scale", std::to_string(p.scale), std::to_string(q.scale));
    Add(rows, path + ".highlight", Highlight(p.entry), Highlight(q.entry));
    Add(rows, path + ".description", p.entry.Description(), q.entry.Description());
  }
  return true;
}

}  // namespace brae
