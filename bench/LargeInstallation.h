#pragma once
// The generated installation the benchmarks share (100,000 tags unless a shape says otherwise),
// written once into the temporary folder under its own name, and a way to give every tag group
// an editor so that the archive browser shows every tag.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "mkdemo/DemoGame.h"
#include "tagstore/TagGroups.h"

namespace brae::bench {

inline std::string WriteLargeInstallation(const std::string& name,
                                          const demo::LargeGameShape& shape = {}) {
  std::string dir = (std::filesystem::temp_directory_path() / name).string();
  std::filesystem::remove_all(dir);
  if (!demo::MakeLargeGame(shape).Write(dir)) std::abort();
  return dir;
}

inline TagEdit* NoEditor(TagRecord*) {
  return nullptr;
}

// Groups that have an editor keep it.
inline void GiveEveryGroupAnEditor() {
  TagGroup* groups = TagGroupTable();
  for (int i = 0; i < kTagGroupCount; ++i)
    if (!groups[i].editor_factory) SetGroupEditorFactory(groups[i].code, &NoEditor);
}

}  // namespace brae::bench
