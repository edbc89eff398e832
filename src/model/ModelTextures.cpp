#include "model/ModelTextures.h"

#include <algorithm>
#include <memory>

#include "media/MediaFile.h"

namespace brae {

std::string ReduceClipFileName(const std::string& clip_file_name) {
  std::string name = clip_file_name;
  const size_t colon = name.find_last_of(':');
  if (colon != std::string::npos) name.erase(0, colon + 1);
  const size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  return name;
}

void LoadMaterialImage(const std::string& folder, ModelMaterial* material) {
  material->image_loaded = false;
  material->paletted = false;
  if (material->image_file.empty()) return;
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path += '/';
  MediaFile file(path + material->image_file, MediaGroup::kImage);
  if (!file.ReadPixels()) return;
  material->image_loaded = true;
  material->width = file.image.width;
  material->height = file.image.height;
  if (file.image.format != PixelFormat::kIndexed) return;
  material->paletted = true;
  material->indices = std::move(file.image.pixels);
  material->palette.assign(256 * 3, 0);
  for (int i = 0; i < std::min(file.image.palette.count, 256); ++i) {
    const Rgb& c = file.image.palette.entries[i];
    material->palette[3 * size_t(i)] = c.r;
    material->palette[3 * size_t(i) + 1] = c.g;
    material->palette[3 * size_t(i) + 2] = c.b;
  }
}

void BuildTextureCollection(const IntermediateModel& model, const std::string& name,
                            Collection* out) {
  out->Clear();
  out->name = name.substr(0, kCollectionNameLength);
  out->flags = kCollectionForTextures;
  bool have_palette = false;
  for (const ModelMaterial& m : model.materials) {
    if (!HasStorableTexture(m)) continue;
    if (!have_palette) {
      for (size_t i = 0; i < 256; ++i)
        out->palette[i] = {m.palette[3 * i], m.palette[3 * i + 1], m.palette[3 * i + 2]};
      have_palette = true;
    }
    // Stored with two bytes per pixel, so that colour index 0 stays opaque.
    auto bitmap = CollectionBitmap::MakeIndexed(m.image_file.substr(0, kItemNameLength), m.width,
                                                m.height, kBitmapTwoBytes);
    for (size_t p = 0; p < m.indices.size(); ++p) {
      bitmap->pixels[2 * p] = 255;
      bitmap->pixels[2 * p + 1] = m.indices[p];
    }
    CollectionBitmap* added = out->AddBitmap(std::move(bitmap));
    auto sequence = std::make_unique<CollectionSequence>();  // one frame, one view
    sequence->name = m.name.substr(0, kItemNameLength);
    if (CollectionInstance* instance = sequence->InstanceAt(0, 0)) instance->bitmap = added;
    sequence->ComputeExtents();
    out->AddSequence(std::move(sequence));
  }
}

void AttachCollectionTextures(const GeomData& geom, const Collection& collection,
                              IntermediateModel* model) {
  for (size_t k = 0; k < geom.textures.size(); ++k) {
    const CollectionBitmap* bitmap = collection.BitmapAt(k);
    if (!bitmap || bitmap->IsHighColour() || !bitmap->HasPixels()) continue;
    if (geom.textures[k].material >= model->materials.size()) continue;
    ModelMaterial& m = model->materials[geom.textures[k].material];
    m.image_file = bitmap->name;
    m.image_loaded = m.paletted = true;
    m.width = bitmap->width;
    m.height = bitmap->height;
    m.indices.resize(size_t(m.width) * size_t(m.height));
    for (size_t p = 0; p < m.indices.size(); ++p) m.indices[p] = bitmap->pixels[2 * p + 1];
    m.palette.resize(256 * 3);
    for (size_t i = 0; i < 256; ++i) {
      m.palette[3 * i] = collection.palette[i].r;
      m.palette[3 * i + 1] = collection.palette[i].g;
      m.palette[3 * i + 2] = collection.palette[i].b;
    }
  }
}

bool SaveMaterialPng(const std::string& path, const ModelMaterial& m) {
  if (!HasStorableTexture(m)) return false;
  MediaFile file(path);
  file.image.format = PixelFormat::kIndexed;
  file.image.width = m.width;
  file.image.height = m.height;
  file.image.palette.count = 256;
  for (size_t i = 0; i < 256; ++i)
    file.image.palette.entries[i] = {m.palette[3 * i], m.palette[3 * i + 1], m.palette[3 * i + 2]};
  file.image.pixels = m.indices;
  return file.Write();
}

}  // namespace brae
