#include "tagstore/AddonBuilder.h"

#include <cerrno>
#include <cstdlib>
#include <set>

#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"

namespace brae {

namespace {

bool ParseInteger(const std::string& text, long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && end && *end == 0;
}

std::string Format(const char* format, const std::string& a, const std::string& b = "",
                   const std::string& c = "") {
  std::string out(512 + a.size() + b.size() + c.size(), '\0');
  int n = std::snprintf(out.data(), out.size(), format, a.c_str(), b.c_str(), c.c_str());
  out.resize(n > 0 ? size_t(n) : 0);
  return out;
}

}  // namespace

std::string CheckAddonFields(const std::string& name, const std::string& url,
                             const std::string& priority_text, int* priority) {
  std::string bad;
  if (name.empty()) bad += " name";
  if (url.empty()) bad += " url";
  long value = 0;
  if (!ParseInteger(priority_text, &value) || value < 2 || value > 32767) {
    bad += " version";
  } else {
    *priority = int(value);
  }
  return bad;
}

bool AddonBuilder::IsAddonGroup(uint32_t group) {
  const TagGroup* g = FindTagGroup(group);
  return g && g->addon;
}

bool AddonBuilder::AskAddonSettings(std::string* name, std::string* url, int* priority) {
  std::string priority_text = "100";
  *name = "<addon name>";
  *url = "<addon url>";
  if (!ui_.RunAddonDialog(name, url, &priority_text)) return false;
  const std::string bad = CheckAddonFields(*name, *url, priority_text, priority);
  if (!bad.empty()) {
    ui_.ShowMessage("Error", "The following fields are invalid: " + bad, "OK");
    return false;
  }
  return true;
}

std::string MissingReferencesText(const std::vector<std::string>& lines, size_t max_lines) {
  std::string text =
      std::to_string(lines.size()) + " references point to tags that players will not have";
  for (size_t i = 0; i < lines.size() && i < max_lines; ++i) text += "\n" + lines[i];
  if (lines.size() > max_lines)
    text += "\n... and " + std::to_string(lines.size() - max_lines) + " more";
  return text;
}

bool AddonBuilder::BuildAddon(const std::vector<TagRecord*>& records) {
  if (check_) {
    const std::vector<std::string> missing = check_->MissingReferences(codex_, records);
    if (!missing.empty() && !ui_.AskBuildAnyway(MissingReferencesText(missing))) return false;
  }
  std::string name, url;
  int priority = 100;
  if (!AskAddonSettings(&name, &url, &priority)) return false;
  if (codex_.WriteArchive(records, 6, name, url, uint16_t(priority))) {
    ui_.ShowMessage("Success",
                    Format("The addon has been written to the plugins folder as '%s'", name), "OK");
    return true;
  }
  ui_.ShowMessage("Error",
                  "The addon could not be created. Possible reasons include:"
                  "\n\xA5Tags from the destination file are open in Brae."
                  "\n\xA5The destination file is open in another program."
                  "\n\xA5Some tags from the local folder were corrupt or unreadable.",
                  "OK");
  return false;
}

bool AddonBuilder::BuildRegularAddon() {
  std::vector<TagRecord*> local, chosen;
  codex_.ListLocalTags(&local);
  for (TagRecord* r : local) {
    if (IsAddonGroup(r->group)) chosen.push_back(r);
  }
  if (chosen.empty()) {
    ui_.ShowMessage("Message",
                    "No addon-allowed files were found in the local folder - Nothing to do!", "OK");
    return false;
  }
  return BuildAddon(chosen);
}

bool AddonBuilder::BuildDtexAddon(DetailMapReader& reader) {
  std::vector<TagRecord*> maps, list;
  codex_.ListTagsOfGroup(FourCC("dmap"), &maps);
  std::set<uint32_t> texture_ids;
  for (TagRecord* map : maps) {
    if (!map->local) continue;
    TagHeader header;
    codex_.GetEffectiveHeader(map, &header);
    std::vector<uint32_t> used;
    if (!reader.ReadUsedTextures(codex_, map, &used)) {
      ui_.ShowMessage("Error",
                      Format("The detail map '%s' ('%s') could not be read. Aborting.",
                             header.Name(), FourCCToString(map->subgroup)),
                      "Ok");
      return false;
    }
    for (uint32_t id : used) {
      if (id == kNoSubgroup) continue;
      if (!codex_.FindTag(FourCC("dtex"), id)) {
        ui_.ShowMessage(
            "Error",
            Format("The detail map '%s' (%s) referenced a detail texture ('%s') which could "
                   "not be found. Aborting.",
                   header.Name(), FourCCToString(map->subgroup), FourCCToString(id)),
            "Ok");
        return false;
      }
      texture_ids.insert(id);
    }
    list.push_back(map);
  }
  if (list.empty()) {
    ui_.ShowMessage("Message", "No dmaps detected in the local folder - nothing to do!", "OK");
    return false;
  }
  for (uint32_t id : texture_ids) list.push_back(codex_.FindTag(FourCC("dtex"), id));
  return BuildAddon(list);
}

}  // namespace brae
