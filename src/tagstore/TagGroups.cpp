#include "tagstore/TagGroups.h"

#include <cctype>

#include "tagstore/FourCC.h"

namespace brae {

namespace {

TagGroup g_groups[kTagGroupCount] = {
    {FourCC("amso"), "Ambient Sound", "Ambient Sounds", "", false, nullptr},
    {FourCC("anim"), "Model Animation", "Model Animations", "", false, nullptr},
    {FourCC("arti"), "Artifact", "Artifacts", "", false, nullptr},
    {FourCC("core"), "Collection Reference", "Collection References", "", false, nullptr},
    {FourCC(".256"), "Collection", "Collections", "X256Edit", false, nullptr},
    {FourCC("conn"), "Connector", "Connectors", "", false, nullptr},
    {FourCC("ditl"), "Dialog String List", "Dialog String Lists", "TextEdit", false, nullptr},
    {FourCC("dmap"), "Detail Map", "Detail Maps", "DmapEdit", false, nullptr},
    {FourCC("dtex"), "Detail Texture", "Detail Textures", "DtexEdit", false, nullptr},
    {FourCC("bina"), "Dialog", "Dialogs", "", false, nullptr},
    {FourCC("font"), "Font", "Fonts", "", false, nullptr},
    {FourCC("form"), "Formations", "Formations", "", true, nullptr},
    {FourCC("geom"), "Geometry", "Geometries", "GeomEdit", false, nullptr},
    {FourCC("inte"), "Interface", "Interface", "", false, nullptr},
    {FourCC("ligh"), "Lightning", "Lightning", "", false, nullptr},
    {FourCC("phys"), "Local Physics", "Local Physics", "", false, nullptr},
    {FourCC("lpgr"), "Local Projectile Group", "Local Projectile Groups", "", false, nullptr},
    {FourCC("medi"), "Media Type", "Media Types", "", false, nullptr},
    {FourCC("meef"), "Mesh Effect", "Mesh Effect", "", false, nullptr},
    {FourCC("meli"), "Mesh Lighting", "Mesh Lighting", "", false, nullptr},
    {FourCC("mesh"), "Mesh", "Meshes", "MeshEdit", false, nullptr},
    {FourCC("mode"), "Model", "Models", "", false, nullptr},
    {FourCC("mons"), "Monster", "Monsters", "", false, nullptr},
    {FourCC("obje"), "Object", "Objects", "", false, nullptr},
    {FourCC("obpc"), "Observer Constants", "Observer Constants", "", true, nullptr},
    {FourCC("part"), "Particle Systems", "Particle Systems", "", false, nullptr},
    {FourCC("pref"), "Preferences", "Preferences", "", false, nullptr},
    {FourCC("prel"), "Preloaded Data", "Preloaded Data", "", false, nullptr},
    {FourCC("prgr"), "Projectile Group", "Projectile Groups", "", false, nullptr},
    {FourCC("proj"), "Projectile", "Projectiles", "", false, nullptr},
    {FourCC("reco"), "Recording", "Recordings", "", true, nullptr},
    {FourCC("save"), "Save", "Saved Games", "", true, nullptr},
    {FourCC("scen"), "Scenery", "Scenery", "", false, nullptr},
    {FourCC("scri"), "Script", "Scripts", "TextEdit", false, nullptr},
    {FourCC("soli"), "Sound List", "Sound Lists", "", true, nullptr},
    {FourCC("soun"), "Sound", "Sounds", "SoundEdit", true, nullptr},
    {FourCC("stli"), "String List", "String Lists", "TextEdit", true, nullptr},
    {FourCC("temp"), "Template", "Templates", "TextEdit", true, nullptr},
    {FourCC("text"), "Text", "Text", "TextEdit", true, nullptr},
    {FourCC("unit"), "Unit", "Units", "", false, nullptr},
    {FourCC("wind"), "Wind", "Wind", "", false, nullptr},
    {FourCC("txst"), "Texture Stack", "Texture Stacks", "", false, nullptr},
    {FourCC("skmd"), "Skeletal Model", "Skeletal Models", "", false, nullptr},
    {FourCC("skan"), "Skeletal Animation", "Skeletal Animation", "", false, nullptr},
    {FourCC("canm"), "Camera Animation", "Camera Animations", "", false, nullptr},
    {FourCC("loli"), "Local Light", "Local Lights", "", false, nullptr},
    {FourCC("glli"), "Global Light", "Global Lights", "", false, nullptr},
    {FourCC("grsp"), "Ground Sprites", "Ground Sprites", "", false, nullptr},
    {FourCC("spri"), "Sprite Definition", "Sprite Definitions", "", false, nullptr},
    {FourCC("game"), "Game Parameters", "Game Parameters", "", false, nullptr},
    {FourCC("rawd"), "Raw File", "Raw Files", "", false, nullptr},
    {FourCC("jpeg"), "JPEG File", "JPEG Files", "", false, nullptr},
    {FourCC("quik"), "Quicktime/MP3", "Quicktime/MP3", "", false, nullptr},
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A folder name made from the four bytes of an unknown code: nothing in it may lead out of
// the folder it is placed in.
std::string SafeCodeFolderName(uint32_t code) {
  std::string name = Lower(FourCCToString(code));
  bool only_dots_and_spaces = true;
  for (char& c : name) {
    const auto u = static_cast<unsigned char>(c);
    const bool unsafe = u < 0x20 || u > 0x7E || c == '/' || c == '\\' || c == ':' || c == '*' ||
                        c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
    if (unsafe) c = '_';
    if (c != '.' && c != ' ') only_dots_and_spaces = false;
  }
  if (only_dots_and_spaces) {
    for (char& c : name) {
      if (c == '.') c = '_';
    }
  }
  return name;
}

}  // namespace

TagGroup* TagGroupTable() {
  return g_groups;
}

int TagGroupIndex(uint32_t code) {
  for (int i = 0; i < kTagGroupCount; ++i) {
    if (g_groups[i].code == code) return i;
  }
  return -1;
}

const TagGroup* FindTagGroup(uint32_t code) {
  int i = TagGroupIndex(code);
  return i < 0 ? nullptr : &g_groups[i];
}

std::string GetGroupName(uint32_t code) {
  const TagGroup* g = FindTagGroup(code);
  return g ? std::string(g->plural) : FourCCToString(code);
}

void SetGroupEditorFactory(uint32_t code, EditorFactory factory) {
  int i = TagGroupIndex(code);
  if (i >= 0) g_groups[i].editor_factory = factory;
}

TagEdit* CreateEditorForTag(TagRecord* record, uint32_t group) {
  const TagGroup* g = FindTagGroup(group);
  return g && g->editor_factory ? g->editor_factory(record) : nullptr;
}

std::string GroupFolderName(uint32_t code) {
  const TagGroup* g = FindTagGroup(code);
  return g ? Lower(g->plural) : SafeCodeFolderName(code);
}

std::string GroupFolderPath(const std::string& base, uint32_t code) {
  return base + GroupFolderName(code);
}

std::string LocalTagPath(const std::string& local_folder, uint32_t group,
                         const std::string& file_name) {
  return GroupFolderPath(local_folder, group) + "/" + file_name;
}

}  // namespace brae
