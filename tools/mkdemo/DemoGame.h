#pragma once
// A deterministic builder of demo Vorn II game folders: archives of both layouts in tags/ and
// plugins/, loose tags in local/, and plain files (images, objects) beside them.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace brae::demo {

constexpr uint32_t Code(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
         (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

struct DemoTag {
  uint32_t group = 0;
  uint32_t subgroup = 0;
  std::string name;
  std::vector<uint8_t> data;
  uint16_t version = 1;
  uint32_t user_data = 0;
  uint8_t flags = 0;
};

struct DemoArchive {
  std::string folder;  // "tags" or "plugins"
  std::string file_name;
  uint16_t kind = 1;
  uint16_t priority = 0;
  std::string name;
  std::string description;
  bool old_layout = false;  // the 48-byte header with the directory at the end
  std::vector<DemoTag> tags;
};

class DemoGame {
 public:
  DemoArchive& Archive(const std::string& folder, const std::string& file_name, uint16_t kind,
                       uint16_t priority = 0, bool old_layout = false);
  void AddLocal(const DemoTag& tag, const std::string& file_name = "");
  // A plain file, by path relative to the game folder.
  void AddFile(const std::string& relative_path, const std::vector<uint8_t>& bytes);

  // Writes everything below root (created when missing). False on any failure.
  bool Write(const std::string& root) const;

  const std::deque<DemoArchive>& Archives() const { return archives_; }
  // Loose tags with their file names ("" for the tag's name), and plain files by path.
  const std::vector<std::pair<DemoTag, std::string>>& LocalTags() const { return local_; }
  const std::map<std::string, std::vector<uint8_t>>& Files() const { return files_; }

 private:
  std::deque<DemoArchive> archives_;
  std::vector<std::pair<DemoTag, std::string>> local_;
  std::map<std::string, std::vector<uint8_t>> files_;
};

// Byte images of the formats, written independently of the tag store.
std::vector<uint8_t> TagHeaderBytes(const DemoTag& tag, int16_t identifier, uint32_t offset,
                                    uint32_t size, bool local);
std::vector<uint8_t> OldTagHeaderBytes(const DemoTag& tag, uint32_t offset);
std::vector<uint8_t> ArchiveBytes(const DemoArchive& archive);
std::vector<uint8_t> LooseTagBytes(const DemoTag& tag);
// Lower-case plural name of a known group, or the lower-case code.
std::string GroupFolder(uint32_t group);

// Contributions of each subsystem to the demo game (one function per content file).
void AddTagstoreDemo(DemoGame& game);
void AddTerrainDemo(DemoGame& game);
void AddMediaDemo(DemoGame& game);
void AddCollectionsDemo(DemoGame& game);
// Structure-defined groups with their definition file (shipped in the game's definitions/).
void AddStructsDemo(DemoGame& game);

// The demo collection tags (also used by the round-trip tests).
std::vector<DemoTag> DemoCollectionTags();
std::vector<DemoTag> DemoStructTags();
std::string DemoDefinitionText();
// A definition file with one large structure named `name` (a group code, so that it binds)
// of `members` value members of mixed types and its form of `frames` frames, and a tag of it
// (all zero) with the given subgroup id.
std::string LargeFormDefinitionText(const std::string& name, int members, int frames);
DemoTag LargeFormTag(const char (&group)[5], const char (&subgroup)[5], size_t record_size);

// Text tags of every group that the text editor edits.
void AddEditingDemo(DemoGame& game);
std::vector<DemoTag> DemoTextTags();

// The whole demo game, as mkdemo writes it.
DemoGame MakeDemoGame();

// Edited copies to compare (mkdemo --compare): the amber charm and the sprites edited in the
// local folder, and the add-on "Valley Update" (kind 6, priority 150) with the valley mesh, the
// old detail map, the bell sound and the introduction text changed, and a new text.
void AddCompareDemo(DemoGame& game);
DemoGame MakeCompareDemoGame();
DemoTag EditedSpritesTag();
void AddTerrainUpdates(DemoArchive& addon);
void AddSoundUpdates(DemoArchive& addon);

// A large installation: archives of generated tags over every group (kind 6 add-ons; with
// shadowing the first four are kind 2 and neighbouring tags share an identity), plus loose
// text tags in the local folder.
struct LargeGameShape {
  int archives = 40;
  int tags_per_archive = 2500;  // 100,000 tags in all
  bool shadowing = false;
  int local_tags = 0;
  // Tags of the groups that hold references get small data naming other ids of the
  // installation: collections with a sequence's sounds, meshes, detail maps, geometries,
  // collection references, models, and 16-byte records of four tag ids in LargeStructGroups.
  bool references = false;
};
// The groups whose records are four tag ids in a large game with references, and the structure
// definitions that describe them.
std::vector<uint32_t> LargeStructGroups();
std::string LargeReferenceDefinitions();
DemoGame MakeLargeGame(const LargeGameShape& shape);

}  // namespace brae::demo
