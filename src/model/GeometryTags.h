#pragma once
// Stored geometries as models: reading a 'geom' tag with the textures of the collection that
// its collection reference names, and exporting a model as a LightWave object with one PNG
// image per textured material. The geometry viewer and brae-cli share these.

#include <string>

#include "model/GeomFormat.h"
#include "model/IntermediateModel.h"

namespace brae {

class Codex;
class FileStream;
struct TagHeader;
class TagRecord;

// Reads a geometry's data from a tag stream (header.size bytes, checked against the file).
bool ReadGeomTag(FileStream& stream, const TagHeader& header, GeomData* out, std::string* error);

// Gives the model the images of the collection that the geometry's collection reference names.
// A missing reference or collection leaves the materials without images (not a failure).
void LoadGeometryTextures(Codex& codex, const GeomData& geom, IntermediateModel* model);

// Reads the geometry tag and builds its model with textures. False with a reason when the
// geometry cannot be read.
bool ReadGeometryModel(Codex& codex, TagRecord* record, IntermediateModel* out, std::string* error);

// Writes folder/name.lwo and the PNG image of every textured material beside it.
bool ExportModelLwo(const IntermediateModel& model, const std::string& folder,
                    const std::string& name);

}  // namespace brae
