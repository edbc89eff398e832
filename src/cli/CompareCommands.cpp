// brae-cli diff and addon-diff: what a tag in force or an add-on changes, member by member.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/CliCommon.h"
#include "compare/CopyDiff.h"
#include "core/MessageLog.h"
#include "editing/structdefs/StructRegistry.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"

namespace brae::cli {

namespace {

int LoadGame(const std::string& game) {
  if (!FolderExists(game)) return Fail("cannot read the game folder '%s'", game.c_str());
  TheMessageLog().SetEcho(true);
  TheCodex().LoadCodex(game);
  LoadStructDefinitions();
  return kOk;
}

void AddDifferences(const TagDiff& diff, Node* parent) {
  if (!diff.ok) parent->Add("error", diff.error);
  Node& list = parent->AddGroup("differences", true);
  for (const TagDifference& d : diff.differences) {
    Node& row = list.AddGroup("");
    row.Add("path", d.path);
    row.Add("old", d.old_value);
    row.Add("new", d.new_value);
  }
}

void PrintDifferences(const TagDiff& diff, const char* indent) {
  if (!diff.ok) std::printf("%serror: %s\n", indent, diff.error.c_str());
  for (const TagDifference& d : diff.differences)
    std::printf("%s%s: %s -> %s\n", indent, d.path.c_str(), d.old_value.c_str(),
                d.new_value.c_str());
}

std::string TagLine(uint32_t group, uint32_t id, const std::string& name) {
  return FourCCText(group) + " " + FourCCText(id) + " '" + name + "'";
}

// ---- diff

int Diff(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  std::string with;
  TakeOption(args, "--with", &with);
  if (args.size() != 3) return Fail("expected GAMEDIR CODE TAGID [--with LOCATION] [--json]");
  uint32_t group = 0, id = 0;
  if (!ParseCode(args[1], &group)) return Fail("bad group code '%s'", args[1].c_str());
  if (!ParseCode(args[2], &id)) return Fail("bad tagid '%s'", args[2].c_str());
  if (int rc = LoadGame(args[0])) return rc;
  Codex& codex = TheCodex();
  TagRecord* record = codex.FindTag(group, id);
  if (!record)
    return Fail("no tag '%s' '%s' in '%s'", FourCCText(group).c_str(), FourCCText(id).c_str(),
                args[0].c_str());
  CodexTagNames names(codex);
  DiffContext context{&TheStructRegistry(), &names};
  std::string old_location, error;
  TagDiff diff;
  if (!CompareInForce(codex, record, with, context, &old_location, &diff, &error))
    return Fail("%s", error.c_str());
  TagHeader header;
  codex.GetEffectiveHeader(record, &header);
  const std::string new_location = codex.GetLocationName(record);
  if (json) {
    Node root;
    root.Add("group", FourCCText(group));
    root.Add("tag", FourCCText(id));
    root.Add("name", header.Name());
    root.Add("old", old_location);
    root.Add("new", new_location);
    AddDifferences(diff, &root);
    std::fputs(RenderJson(root).c_str(), stdout);
  } else {
    std::printf("%s: %s against %s\n", TagLine(group, id, header.Name()).c_str(),
                new_location.c_str(), old_location.c_str());
    PrintDifferences(diff, "  ");
    if (diff.Equal()) std::printf("  equal\n");
  }
  if (!diff.ok) return kFail;
  return diff.differences.empty() ? kOk : kSomeFailed;
}

// ---- addon-diff

// The archive by its file name among the loaded ones, or else opened from its path.
const ArchiveRecord* FindArchive(const std::string& name, std::unique_ptr<ArchiveRecord>* opened) {
  Codex& codex = TheCodex();
  for (size_t i = 0; i < codex.ArchiveCount(); ++i) {
    const ArchiveRecord* a = codex.ArchiveAt(i);
    if (a->file_name == name || a->path == name) return a;
  }
  if (const ArchiveRecord* a = codex.FindArchiveByPath(name)) return a;
  *opened = OpenArchive(name);
  return opened->get();
}

int AddonDiffCommand(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 2) return Fail("expected GAMEDIR ARCHIVE [--json]");
  if (int rc = LoadGame(args[0])) return rc;
  std::unique_ptr<ArchiveRecord> opened;
  const ArchiveRecord* archive = FindArchive(args[1], &opened);
  if (!archive)
    return Fail("no archive '%s' in the game and no archive file there", args[1].c_str());
  Codex& codex = TheCodex();
  CodexTagNames names(codex);
  const AddonDiff result = CompareAddon(codex, *archive, {&TheStructRegistry(), &names});
  Node root;
  root.Add("archive", archive->file_name);
  Node& tags = root.AddGroup("tags", true);
  for (const AddonTagDiff& tag : result.tags) {
    if (json) {
      Node& n = tags.AddGroup("");
      n.Add("group", FourCCText(tag.group));
      n.Add("tag", FourCCText(tag.subgroup));
      n.Add("name", tag.name);
      n.Add("overrides", tag.overrides);
      AddDifferences(tag.diff, &n);
      continue;
    }
    const std::string line = TagLine(tag.group, tag.subgroup, tag.name);
    if (tag.overrides.empty()) {
      std::printf("%s: new\n", line.c_str());
    } else {
      std::printf("%s: overrides %s%s\n", line.c_str(), tag.overrides.c_str(),
                  tag.diff.Equal() ? " (equal)" : "");
      PrintDifferences(tag.diff, "  ");
    }
  }
  const std::string summary =
      std::to_string(result.tags.size()) + " tags: " + std::to_string(result.new_tags) + " new, " +
      std::to_string(result.overriding) + " overriding (" + std::to_string(result.changed) +
      " changed, " + std::to_string(result.unreadable) + " unreadable)";
  if (json) {
    root.Add("new", int64_t(result.new_tags));
    root.Add("overriding", int64_t(result.overriding));
    root.Add("changed", int64_t(result.changed));
    root.Add("unreadable", int64_t(result.unreadable));
    std::fputs(RenderJson(root).c_str(), stdout);
  } else {
    std::printf("%s\n", summary.c_str());
  }
  return result.unreadable ? kSomeFailed : kOk;
}

}  // namespace

std::vector<Command> CompareCommands() {
  return {
      {"diff", "GAMEDIR CODE TAGID [--with LOCATION] [--json]", Diff},
      {"addon-diff", "GAMEDIR ARCHIVE [--json]", AddonDiffCommand},
  };
}

}  // namespace brae::cli
