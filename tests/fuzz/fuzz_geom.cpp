// Geometry tag data ('geom') from arbitrary bytes, and the model the viewer builds from it.
#include "model/GeomFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brae::GeomData geom;
  if (brae::ParseGeom(data, size, &geom, nullptr)) {
    brae::IntermediateModel model;
    brae::GeomToModel(geom, &model);
    for (const brae::ModelTriangle& t : model.triangles) {
      for (const brae::ModelCorner& c : t.corners) {
        if (c.vertex >= model.vertices.size() || t.material >= model.materials.size())
          __builtin_trap();
      }
    }
  }
  return 0;
}
