#include "model/LwoWriter.h"

#include <cstdio>
#include <cstring>

#include "tagstore/FourCC.h"

namespace brae {

const char kLwoWriterUvMapName[] = "UVMap";

namespace {

class ChunkWriter {
 public:
  std::vector<uint8_t> bytes;

  void U2(uint16_t v) {
    bytes.push_back(uint8_t(v >> 8));
    bytes.push_back(uint8_t(v));
  }
  void U4(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (24 - 8 * i)));
  }
  void F4(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    U4(v);
  }
  void Vec(float x, float y, float z) {
    F4(x);
    F4(y);
    F4(z);
  }
  void Id(const char (&id)[5]) { U4(FourCC(id)); }
  void VX(uint32_t index) {
    if (index < 0xFF00) {
      U2(uint16_t(index));
    } else {
      U4(0xFF000000u | index);
    }
  }
  void S0(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
    if (bytes.size() & 1) bytes.push_back(0);
  }
  // Opens a chunk (4-byte size) or sub-chunk (2-byte size); Close fills the size in and pads.
  size_t Open(const char (&id)[5], bool sub) {
    Id(id);
    const size_t at = bytes.size();
    if (sub) {
      U2(0);
    } else {
      U4(0);
    }
    return at;
  }
  void Close(size_t at, bool sub) {
    const size_t header = sub ? 2 : 4;
    const size_t size = bytes.size() - at - header;
    for (size_t i = 0; i < header; ++i) bytes[at + i] = uint8_t(size >> (8 * (header - 1 - i)));
    if (size & 1) bytes.push_back(0);
  }
};

void WriteSurface(ChunkWriter& w, const ModelMaterial& material, uint32_t clip) {
  const size_t surf = w.Open("SURF", false);
  w.S0(material.name);
  w.S0("");
  size_t sub = w.Open("COLR", true);
  w.Vec(1, 1, 1);
  w.VX(0);
  w.Close(sub, true);
  sub = w.Open("SIDE", true);
  w.U2(1);
  w.Close(sub, true);
  if (clip) {
    const size_t block = w.Open("BLOK", true);
    const size_t header = w.Open("IMAP", true);
    w.S0("\x80");
    size_t s = w.Open("CHAN", true);
    w.Id("COLR");
    w.Close(s, true);
    s = w.Open("ENAB", true);
    w.U2(1);
    w.Close(s, true);
    s = w.Open("NEGA", true);
    w.U2(0);
    w.Close(s, true);
    w.Close(header, true);
    s = w.Open("PROJ", true);
    w.U2(5);  // UV
    w.Close(s, true);
    s = w.Open("IMAG", true);
    w.VX(clip);
    w.Close(s, true);
    s = w.Open("VMAP", true);
    w.S0(kLwoWriterUvMapName);
    w.Close(s, true);
    w.Close(block, true);
  }
  w.Close(surf, false);
}

}  // namespace

std::string LwoClipFileName(const ModelMaterial& material) {
  std::string stem = material.image_file;
  const size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && dot > 0) stem.erase(dot);
  return stem + ".png";
}

std::vector<uint8_t> SerializeLwo2(const IntermediateModel& model) {
  ChunkWriter w;
  w.Id("FORM");
  w.U4(0);
  w.Id("LWO2");

  size_t chunk = w.Open("TAGS", false);
  for (const ModelMaterial& m : model.materials) w.S0(m.name);
  w.Close(chunk, false);

  chunk = w.Open("LAYR", false);
  w.U2(0);
  w.U2(0);
  // The import reads the pivot as the reference point.
  w.Vec(-model.reference.x, model.reference.y, model.reference.z);
  w.S0("");
  w.Close(chunk, false);

  chunk = w.Open("PNTS", false);
  for (const ModelVertex& v : model.vertices) w.Vec(-v.position.x, v.position.y, v.position.z);
  w.Close(chunk, false);

  chunk = w.Open("POLS", false);
  w.Id("FACE");
  for (const ModelTriangle& t : model.triangles) {
    w.U2(3);
    for (int c = 2; c >= 0; --c) w.VX(t.corners[c].vertex);
  }
  w.Close(chunk, false);

  chunk = w.Open("PTAG", false);
  w.Id("SURF");
  for (size_t i = 0; i < model.triangles.size(); ++i) {
    w.VX(uint32_t(i));
    w.U2(model.triangles[i].material);
  }
  w.Close(chunk, false);

  chunk = w.Open("VMAD", false);
  w.Id("TXUV");
  w.U2(2);
  w.S0(kLwoWriterUvMapName);
  for (size_t i = 0; i < model.triangles.size(); ++i) {
    for (int c = 2; c >= 0; --c) {
      const ModelCorner& corner = model.triangles[i].corners[c];
      w.VX(corner.vertex);
      w.VX(uint32_t(i));
      w.F4(corner.u);
      w.F4(1.0f - corner.v);
    }
  }
  w.Close(chunk, false);

  std::vector<uint32_t> clips(model.materials.size(), 0);
  uint32_t next_clip = 1;
  for (size_t i = 0; i < model.materials.size(); ++i) {
    if (model.materials[i].image_file.empty()) continue;
    clips[i] = next_clip++;
    chunk = w.Open("CLIP", false);
    w.U4(clips[i]);
    const size_t still = w.Open("STIL", true);
    w.S0(LwoClipFileName(model.materials[i]));
    w.Close(still, true);
    w.Close(chunk, false);
  }
  for (size_t i = 0; i < model.materials.size(); ++i) WriteSurface(w, model.materials[i], clips[i]);

  const uint32_t form_size = uint32_t(w.bytes.size() - 8);
  for (int i = 0; i < 4; ++i) w.bytes[4 + i] = uint8_t(form_size >> (24 - 8 * i));
  return w.bytes;
}

bool WriteLwo2(const IntermediateModel& model, const std::string& folder_in,
               const std::string& name, const LwoImageSaver& save_image) {
  std::string folder = folder_in;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const std::vector<uint8_t> bytes = SerializeLwo2(model);
  std::FILE* file = std::fopen((folder + name + ".lwo").c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (save_image) {
    for (const ModelMaterial& m : model.materials) {
      if (m.image_file.empty() || !m.image_loaded) continue;
      ok = save_image(folder + LwoClipFileName(m), m) && ok;
    }
  }
  return ok;
}

}  // namespace brae
