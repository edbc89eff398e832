// The preferences file from arbitrary bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Prefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  brae::Prefs prefs;
  prefs.ParseText(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> list;
  for (const auto& [key, value] : prefs.Values()) prefs.GetStringList(key, &list);
  brae::Prefs again;
  again.ParseText(prefs.FormatText());
  return 0;
}
