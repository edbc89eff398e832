// libFuzzer target: structure definition documents, their field descriptions and conversions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brae::StructRegistry registry;
  if (!registry.AddDefinitionText(std::string(reinterpret_cast<const char*>(data), size))) return 0;
  registry.BuildRegistry();
  for (const auto& def : registry.Definitions()) {
    std::vector<uint8_t> file(def->FieldDescription().WalkedSize(), 0xA5), record(def->Size());
    if (file.size() != record.size()) __builtin_trap();  // a description must cover the record
    brae::ConvertFromFile(file.data(), record.data(), 1, def->FieldDescription());
    for (const auto& m : def->members) {
      if (!m->HasValue()) continue;
      for (int i = 0; i < m->count && i < 4; ++i) {
        brae::ShowMember(*def, *m, record.data(), i);
        brae::EnterMember(*def, *m, record.data(), i, 12.5);
      }
    }
  }
  return 0;
}
