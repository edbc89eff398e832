#pragma once
// Writing an intermediate model as an LWO2 object, with one image clip per textured material.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/IntermediateModel.h"

namespace brae {

// The name of the UV map that the writer gives the texture coordinates.
extern const char kLwoWriterUvMapName[];

// The clip file name of a material: its texture's name with the extension ".png".
std::string LwoClipFileName(const ModelMaterial& material);

// The LWO2 file: TAGS, LAYR (the reference point as its pivot, x mirrored back), PNTS (x mirrored
// back), POLS of triangles (corners in LightWave order, the reverse of the model's), PTAG SURF,
// VMAD TXUV (v flipped back), one CLIP per textured material, one SURF per material.
std::vector<uint8_t> SerializeLwo2(const IntermediateModel& model);

// Saves one material's image as a PNG file at path; supplied by the caller (the media library).
using LwoImageSaver = std::function<bool(const std::string& path, const ModelMaterial& material)>;

// Writes folder/name.lwo and, with a saver, every loaded texture beside it. False when a file
// could not be written.
bool WriteLwo2(const IntermediateModel& model, const std::string& folder, const std::string& name,
               const LwoImageSaver& save_image = nullptr);

}  // namespace brae
