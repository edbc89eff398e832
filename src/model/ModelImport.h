#pragma once
// Importing a LightWave object as the game's four linked model tags: a texture collection
// ('.256'), a collection reference ('core'), a geometry ('geom') and a model ('mode'), all
// with the name the user gave and fresh tag ids. The import reports to the message log under
// "Model Import"; the root menu and brae-cli both run ImportModel.

#include <cstdint>
#include <string>

#include "model/IntermediateModel.h"
#include "model/LwoObject.h"

namespace brae {

class Codex;
class TagRecord;

extern const char kModelImportLog[];  // "Model Import"

// The intermediate model of a LightWave object's first layer: x mirrored, triangle corners
// reversed, one material per surface in order of first use, texture coordinates (u, 1 - v) of
// the UV map that the surface's first colour texture names, its image loaded from
// texture_folder. Fails with a reason for a polygon that is not a triangle or for counts that
// the geometry tag cannot hold.
bool ConvertLwoToModel(const LwoObject& object, const std::string& texture_folder,
                       IntermediateModel* out, std::string* error);

struct ModelImportResult {
  bool ok = false;
  std::string error;  // why it failed (the log holds the fixed lines)
  uint32_t collection_id = 0, core_id = 0, geom_id = 0, mode_id = 0;
  TagRecord* geom = nullptr;  // the new geometry, for opening its viewer
};

// Runs the whole import into the codex's local folder.
ModelImportResult ImportModel(Codex& codex, const std::string& lwo_path, const std::string& name);

}  // namespace brae
