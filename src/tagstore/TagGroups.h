#pragma once
// The table of the 53 known tag groups and the folder names of loose tag files.

#include <cstdint>
#include <string>

namespace brae {

class TagEdit;
class TagRecord;
using EditorFactory = TagEdit* (*)(TagRecord* record);

struct TagGroup {
  uint32_t code;
  const char* singular;
  const char* plural;            // also the group folder's name (lower case on disk)
  const char* dedicated_editor;  // the editor start-up registers, or ""
  bool addon;                    // local tags of this group go into regular add-ons
  EditorFactory editor_factory;
};

constexpr int kTagGroupCount = 53;

// The rows in table order.
TagGroup* TagGroupTable();
const TagGroup* FindTagGroup(uint32_t code);
int TagGroupIndex(uint32_t code);  // -1 when not in the table

// The plural name, or the code's four characters for an unknown code.
std::string GetGroupName(uint32_t code);
void SetGroupEditorFactory(uint32_t code, EditorFactory factory);
TagEdit* CreateEditorForTag(TagRecord* record, uint32_t group);

// The group folder's name: the plural name in lower case, or for an unknown code its four
// characters in lower case with every byte that is unsafe in a file name replaced by "_".
std::string GroupFolderName(uint32_t code);
// base followed by the group folder name (no trailing "/").
std::string GroupFolderPath(const std::string& base, uint32_t code);
// GroupFolderPath(local folder, group) + "/" + file name.
std::string LocalTagPath(const std::string& local_folder, uint32_t group,
                         const std::string& file_name);

}  // namespace brae
