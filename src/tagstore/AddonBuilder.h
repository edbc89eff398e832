#pragma once
// Building add-on plugins from local tags: the tag selection, the field checks and the
// messages. The dialog and the message boxes come from the program through AddonUi.

#include <cstdint>
#include <string>
#include <vector>

namespace brae {

class Codex;
class TagRecord;

class AddonUi {
 public:
  virtual ~AddonUi() = default;
  // Runs the settings dialog ("Name:", "URL:", "Priority:"); false when cancelled.
  virtual bool RunAddonDialog(std::string* name, std::string* url, std::string* priority) = 0;
  virtual void ShowMessage(const std::string& title, const std::string& text,
                           const std::string& button) = 0;
  // Asks whether to build although some references point to tags that players will not have
  // ("Build Anyway" or "Cancel"); true to build.
  virtual bool AskBuildAnyway(const std::string& text) {
    (void)text;
    return false;
  }
};

// Looks at the tags going into an add-on before anything is asked or written: one line for
// each reference to a tag that is neither in the add-on nor in the game's own archives. The
// reference index provides it.
class AddonReferenceCheck {
 public:
  virtual ~AddonReferenceCheck() = default;
  virtual std::vector<std::string> MissingReferences(Codex& codex,
                                                     const std::vector<TagRecord*>& records) = 0;
};

// The question for missing references: the count, then at most max_lines of the lines.
std::string MissingReferencesText(const std::vector<std::string>& lines, size_t max_lines = 20);

// Reads a detail map and lists the detail texture ids of every material that at least one
// vertex or triangle uses (ids of -1 left out). The terrain formats provide it.
class DetailMapReader {
 public:
  virtual ~DetailMapReader() = default;
  virtual bool ReadUsedTextures(Codex& codex, TagRecord* detail_map,
                                std::vector<uint32_t>* ids) = 0;
};

// The names of the bad fields, each with a leading space (" name", " url", " version"); empty
// when all are valid. The priority must be an integer from 2 to 32767.
std::string CheckAddonFields(const std::string& name, const std::string& url,
                             const std::string& priority_text, int* priority);

class AddonBuilder {
 public:
  AddonBuilder(Codex& codex, AddonUi& ui) : codex_(codex), ui_(ui) {}
  // With a check, BuildAddon first lists references that players will not have and asks.
  void SetReferenceCheck(AddonReferenceCheck* check) { check_ = check; }

  bool AskAddonSettings(std::string* name, std::string* url, int* priority);
  // Checks the references (when a check is set), asks for the settings and writes the add-on;
  // true when it was written.
  bool BuildAddon(const std::vector<TagRecord*>& records);
  bool BuildRegularAddon();
  bool BuildDtexAddon(DetailMapReader& reader);

  static bool IsAddonGroup(uint32_t group);

 private:
  Codex& codex_;
  AddonUi& ui_;
  AddonReferenceCheck* check_ = nullptr;
};

}  // namespace brae
