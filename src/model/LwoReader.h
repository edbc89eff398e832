#pragma once
// Reading LightWave objects: the LWO2 form and the older LWOB form.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "model/LwoObject.h"

namespace brae {

struct LwoReadError {
  uint32_t chunk = 0;     // the failing chunk's id, 0 when the head failed
  uint64_t position = 0;  // file position of the failure
  std::string message;
};

// The whole object, or none on failure (error says where).
std::unique_ptr<LwoObject> ReadLwo(const std::string& path, LwoReadError* error = nullptr);
std::unique_ptr<LwoObject> ReadLwoFromMemory(const uint8_t* data, size_t size,
                                             LwoReadError* error = nullptr);

}  // namespace brae
