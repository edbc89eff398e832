#pragma once
// The registry of structure and form definitions, read once at start-up from the XML
// definition files of one or more folders.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editing/structdefs/StructDefinition.h"

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

namespace brae {

// A tag group whose tags the structure editor edits with a definition.
struct BoundGroup {
  uint32_t group;
  const StructDefinition* definition;
};

// Records larger than this cannot be described for the byte-order converter.
constexpr size_t kMaxStructSize = 0x7FFF;

class StructRegistry {
 public:
  StructRegistry();
  ~StructRegistry();
  StructRegistry(const StructRegistry&) = delete;
  StructRegistry& operator=(const StructRegistry&) = delete;

  // Reads every file directly inside the folder (sorted by name). A file that parses as XML
  // and has a top-level "braexmlfile" element is kept; any other file is skipped silently.
  // Returns the number of files kept. May be called for several folders before BuildRegistry;
  // the folder read first wins where two define the same structure or form.
  int LoadDefinitionFiles(const std::string& folder);
  // Keeps one document given as text (for definitions that do not come from files).
  bool AddDefinitionText(const std::string& text);
  // Parses the structure definitions, collects the form definitions and binds groups. A
  // structure or form whose name an earlier one took is set aside, and the log names its file.
  void BuildRegistry();
  void Clear();

  // Exact, case-sensitive lookups; the first definition with the name wins.
  const StructDefinition* FindStructDefinition(const std::string& name) const;
  const tinyxml2::XMLElement* FindFormDefinition(const std::string& struct_name) const;
  // The definition bound to a group, or none.
  const StructDefinition* DefinitionForGroup(uint32_t group) const;

  const std::vector<std::unique_ptr<StructDefinition>>& Definitions() const { return definitions_; }
  const std::vector<const tinyxml2::XMLElement*>& FormDefinitions() const { return forms_; }
  // In definition order; each group once.
  const std::vector<BoundGroup>& BoundGroups() const { return bound_; }

 private:
  bool KeepDocument(std::unique_ptr<tinyxml2::XMLDocument> document, const std::string& source);
  void ResolveSubstructs();

  std::vector<std::unique_ptr<tinyxml2::XMLDocument>> documents_;
  std::vector<const tinyxml2::XMLElement*> roots_;
  std::vector<std::string> sources_;  // the file of each root
  std::vector<std::unique_ptr<StructDefinition>> definitions_;
  std::vector<const tinyxml2::XMLElement*> forms_;
  std::vector<BoundGroup> bound_;
};

// The process-wide registry.
StructRegistry& TheStructRegistry();

// Fills the registry from every place definitions come from, the more specific first so that
// it wins: the game folder's "definitions" folder, the user's definitions folder, then the
// program's resources. The windowed program and brae-cli both load them this way.
void LoadDefinitionsForGame(StructRegistry& registry, const std::string& game_folder);

}  // namespace brae
