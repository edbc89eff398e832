// libFuzzer target: structure-defined tag records from arbitrary bytes, through the demo game's
// definitions. The first byte picks the definition; the rest is the tag's data (cut or padded to
// the record's size). Every value is shown and typed back as the form and the command line do,
// and the arrays of embedded structures are edited as the form's array lists do.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "DemoDefinitions.h"
#include "editing/structdefs/StructArrays.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& definitions = DemoRegistry().Definitions();
  if (size < 1 || definitions.empty()) return 0;
  const brae::StructDefinition& def = *definitions[data[0] % definitions.size()];
  std::vector<uint8_t> file(data + 1, data + size), record(def.Size());
  file.resize(def.Size());
  brae::ConvertFromFile(file.data(), record.data(), 1, def.FieldDescription());

  EchoTags tags;
  for (const brae::MemberPlace& place : brae::ListMemberPlaces(def)) {
    std::string shown = brae::FormatMemberValue(place, record.data(), record.size(), &tags);
    std::vector<uint8_t> copy = record;
    int64_t stored = 0;
    std::string error;
    if (brae::ParseMemberValue(place, shown, copy.data(), copy.size(), &tags, &stored, &error))
      brae::StoreMemberValue(place, stored, copy.data(), copy.size());
    if (place.member->type == brae::kMemberTag)
      brae::ResetDependentSequences(DemoRegistry(), def, place.member->name, copy.data(),
                                    copy.size());
  }
  for (const auto& member : def.members) {
    if (member->type != brae::kMemberSubstruct) continue;
    const auto& array = static_cast<const brae::VornStructMember&>(*member);
    brae::StructArray list = brae::StructArray::For(def, array);
    std::vector<uint8_t> copy = record;
    int count = list.Count(copy.data(), copy.size());
    if (count > 0) list.Delete(copy.data(), copy.size(), count - 1);
    list.Append(copy.data(), copy.size(), 0);
    list.Delete(copy.data(), copy.size(), 0);
  }
  return 0;
}
