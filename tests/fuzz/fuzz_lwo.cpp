// LightWave objects (LWO2 and LWOB) from arbitrary bytes.
#include "model/LwoReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto object = brae::ReadLwoFromMemory(data, size);
  if (object) {
    for (const auto& layer : object->layers) {
      for (uint32_t p = 0; p < layer.polygons.size(); ++p) {
        for (size_t c = 0; c < layer.polygons[p].corners.size(); ++c) {
          brae::FindCornerValue(layer, p, c, brae::FourCC("TXUV"), "UV");
        }
      }
    }
  }
  return 0;
}
