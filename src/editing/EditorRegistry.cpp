#include "editing/EditorRegistry.h"

#include "editing/TagStructEdit.h"
#include "editing/TextEdit.h"
#include "editing/structdefs/StructRegistry.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagGroups.h"

namespace brae {

namespace {

constexpr uint32_t kTextGroups[] = {FourCC("ditl"), FourCC("scri"), FourCC("stli"), FourCC("temp"),
                                    FourCC("text")};

}  // namespace

bool IsTextEditGroup(uint32_t group) {
  for (uint32_t code : kTextGroups)
    if (code == group) return true;
  return false;
}

void LoadStructDefinitions(const std::string& game_folder) {
  LoadDefinitionsForGame(TheStructRegistry(), game_folder);
}

void RegisterEditorFactories() {
  // Definitions of another game folder may bind other groups: none keeps an old binding.
  for (int i = 0; i < kTagGroupCount; ++i) {
    const TagGroup& group = TagGroupTable()[i];
    if (group.editor_factory == &NewTagStructEdit) SetGroupEditorFactory(group.code, nullptr);
  }
  for (const BoundGroup& bound : TheStructRegistry().BoundGroups())
    SetGroupEditorFactory(bound.group, NewTagStructEdit);
  for (uint32_t group : kTextGroups) SetGroupEditorFactory(group, NewTextEdit);
}

}  // namespace brae
