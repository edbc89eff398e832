// brae-cli refs, usages and check: references between the tags of a game's working set.
#include <cstdio>

#include "cli/CliCommon.h"
#include "core/MessageLog.h"
#include "editing/structdefs/StructRegistry.h"
#include "references/AddonReferenceCheck.h"
#include "references/ReferenceIndex.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"

namespace brae::cli {

namespace {

int LoadGameAndDefinitions(const std::string& game) {
  if (!FolderExists(game)) return Fail("cannot read the game folder '%s'", game.c_str());
  TheMessageLog().SetEcho(true);
  TheCodex().LoadCodex(game);
  LoadStructDefinitions();
  return kOk;
}

int ParseTagArgs(const Args& args, TagKey* key) {
  if (args.size() != 3) return Fail("expected GAMEDIR CODE TAGID [--json]");
  if (!ParseCode(args[1], &key->group)) return Fail("bad group code '%s'", args[1].c_str());
  if (!ParseCode(args[2], &key->id)) return Fail("bad tagid '%s'", args[2].c_str());
  return LoadGameAndDefinitions(args[0]);
}

std::string Quoted(const std::string& name) {
  return "'" + name + "'";
}

// One reference as the JSON output gives it: both ends with their names, the path, and
// whether the target exists.
void AddReference(Node* list, const ReferenceIndex& index, const TagReference& r) {
  const Codex& codex = TheCodex();
  Node& n = list->AddGroup("");
  n.Add("source_group", FourCCText(r.source.group));
  n.Add("source_id", FourCCText(r.source.id));
  n.Add("source_name", ReferencedTagName(codex, r.source));
  if (TagRecord* source = codex.FindTag(r.source.group, r.source.id))
    n.Add("source_location", codex.GetLocationName(source));
  n.Add("path", r.path);
  n.Add("target_group", KeyGroupText(r.target.group));
  n.Add("target_id", FourCCText(r.target.id));
  n.Add("target_name", ReferencedTagName(codex, r.target));
  n.Add("exists", index.TargetExists(r) ? "yes" : "no");
  n.Add("optional", r.optional ? "yes" : "no");
}

// "grp id 'Name'" of a target, or "grp id missing" (with "(optional)" where that is allowed).
std::string TargetText(const ReferenceIndex& index, const TagReference& r) {
  std::string text = KeyGroupText(r.target.group) + " " + FourCCText(r.target.id) + " ";
  if (index.TargetExists(r)) return text + Quoted(ReferencedTagName(TheCodex(), r.target));
  return text + (r.optional ? "none (optional)" : "missing");
}

std::string SourceText(const TagReference& r) {
  return FourCCText(r.source.group) + " " + FourCCText(r.source.id) + " " +
         Quoted(ReferencedTagName(TheCodex(), r.source));
}

int Print(const std::vector<TagReference>& refs, const ReferenceIndex& index, bool json,
          std::string (*line)(const ReferenceIndex&, const TagReference&)) {
  if (json) {
    Node root;
    Node& list = root.AddGroup("references", true);
    for (const TagReference& r : refs) AddReference(&list, index, r);
    std::fputs(RenderJson(root).c_str(), stdout);
  } else {
    for (const TagReference& r : refs) std::printf("%s\n", line(index, r).c_str());
  }
  return kOk;
}

int Refs(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  TagKey key;
  if (int rc = ParseTagArgs(args, &key)) return rc;
  if (!TheCodex().FindTag(key.group, key.id))
    return Fail("no tag '%s' '%s' in '%s'", FourCCText(key.group).c_str(),
                FourCCText(key.id).c_str(), args[0].c_str());
  ReferenceIndex index(TheCodex(), &TheStructRegistry());
  return Print(index.References(key), index, json,
               [](const ReferenceIndex& i, const TagReference& r) {
                 return r.path + " -> " + TargetText(i, r);
               });
}

int Usages(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  TagKey key;
  if (int rc = ParseTagArgs(args, &key)) return rc;
  // A missing tag may still be referred to: its usages are what "check" reports as broken.
  ReferenceIndex index(TheCodex(), &TheStructRegistry());
  return Print(index.Usages(key), index, json, [](const ReferenceIndex&, const TagReference& r) {
    Codex& codex = TheCodex();
    TagRecord* source = codex.FindTag(r.source.group, r.source.id);
    return SourceText(r) + " " + r.path + " (" +
           (source ? codex.GetLocationName(source) : std::string("unknown")) + ")";
  });
}

int Check(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 1) return Fail("expected GAMEDIR [--json]");
  if (int rc = LoadGameAndDefinitions(args[0])) return rc;
  ReferenceIndex index(TheCodex(), &TheStructRegistry());
  const std::vector<TagReference> broken = index.BrokenReferences();
  Print(broken, index, json, [](const ReferenceIndex& i, const TagReference& r) {
    return SourceText(r) + " " + r.path + " -> " + TargetText(i, r);
  });
  if (!json) std::fprintf(stderr, "%zu broken references\n", broken.size());
  return broken.empty() ? kOk : kSomeFailed;
}

}  // namespace

std::vector<Command> ReferenceCommands() {
  return {
      {"refs", "GAMEDIR CODE TAGID [--json]", Refs},
      {"usages", "GAMEDIR CODE TAGID [--json]", Usages},
      {"check", "GAMEDIR [--json]", Check},
  };
}

}  // namespace brae::cli
