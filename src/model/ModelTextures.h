#pragma once
// The textures of a model: loading a material's image file, the texture collection that an
// import writes, the materials' images read back from such a collection, and saving a
// material's image as a PNG file beside an exported object.

#include <string>

#include "collection/Collection.h"
#include "model/GeomFormat.h"
#include "model/IntermediateModel.h"

namespace brae {

// The file name that a clip names: the part after the last ':' and then after the last '/'.
std::string ReduceClipFileName(const std::string& clip_file_name);

// Loads folder/material.image_file into the material when it is an image file: sets
// image_loaded, and for a colour-indexed picture paletted, the size, indices and palette.
void LoadMaterialImage(const std::string& folder, ModelMaterial* material);

// The texture collection of a model: the palette of the first textured material, one bitmap
// per textured material (named after its image file, alpha 255 and the colour index) and one
// sequence per textured material (named after the surface) whose single frame shows it.
void BuildTextureCollection(const IntermediateModel& model, const std::string& name,
                            Collection* out);

// Gives the materials of a model read from a geometry their images: texture record k takes
// bitmap k of the collection (the order the import writes them in), with its palette.
void AttachCollectionTextures(const GeomData& geom, const Collection& collection,
                              IntermediateModel* model);

// The image saver of the LightWave export: a colour-indexed material as a PNG file.
bool SaveMaterialPng(const std::string& path, const ModelMaterial& material);

}  // namespace brae
