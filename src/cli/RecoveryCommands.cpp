// brae-cli recovery: the snapshots of unsaved editors that a program which is no longer running
// left for a game folder; listed, restored into the local folder or discarded.
#include <cstdio>

#include "cli/CliCommon.h"
#include "core/MessageLog.h"
#include "core/ProgramPaths.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"
#include "tagstore/FourCCText.h"
#include "tagstore/Recovery.h"

namespace brae::cli {

namespace {

// The snapshots lie beside the preferences file, found as the program finds it.
std::string RecoveryFolder() {
  return RecoveryFolderFor(TheProgramPaths().prefs_file);
}

int List(RecoveryCatalog& catalog, const std::string& game, bool json) {
  Node root;
  Node& list = root.AddGroup("snapshots", true);
  for (const RecoverableSnapshot& s : catalog.List(game)) {
    Node& n = list.AddGroup("");
    n.Add("id", s.id);
    n.Add("name", s.info.editor_name);
    n.Add("group", FourCCText(s.info.editor_group));
    n.Add("subgroup", FourCCText(s.info.editor_subgroup));
    n.Add("time", FormatSnapshotTime(s.info.time));
    if (s.info.group != s.info.editor_group || s.info.subgroup != s.info.editor_subgroup) {
      n.Add("saved_group", FourCCText(s.info.group));
      n.Add("saved_subgroup", FourCCText(s.info.subgroup));
    }
  }
  if (json) {
    std::fputs(RenderJson(root).c_str(), stdout);
    return kOk;
  }
  // One line per snapshot: its fields separated by tabs.
  for (const Node& n : list.children) {
    std::string line;
    for (const Node& field : n.children) line += (line.empty() ? "" : "\t") + field.value;
    std::printf("%s\n", line.c_str());
  }
  return kOk;
}

int Recovery(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  std::string restore, discard;
  const bool restoring = TakeOption(args, "--restore", &restore);
  const bool discarding = TakeOption(args, "--discard", &discard);
  TakeFlag(args, "--list");
  if (args.size() != 1 || (restoring && discarding) || (json && (restoring || discarding)))
    return Fail("expected GAMEDIR [--list [--json] | --restore ID | --discard ID]");
  const std::string& game = args[0];
  if (!FolderExists(game)) return Fail("cannot read the game folder '%s'", game.c_str());
  RecoveryCatalog catalog(RecoveryFolder());
  catalog.List(game);
  const std::string& id = restoring ? restore : discard;
  if (!restoring && !discarding) return List(catalog, game, json);
  if (!catalog.Find(id)) return Fail("no snapshot '%s' for '%s'", id.c_str(), game.c_str());
  if (discarding) return catalog.Discard(id) ? kOk : Fail("cannot delete '%s'", id.c_str());
  TheMessageLog().SetEcho(true);
  TheCodex().LoadCodex(game);
  std::string error;
  if (!catalog.Restore(TheCodex(), id, &error))
    return Fail("cannot restore '%s': %s", id.c_str(), error.c_str());
  return kOk;
}

}  // namespace

std::vector<Command> RecoveryCommands() {
  return {{"recovery", "GAMEDIR [--list [--json] | --restore ID | --discard ID]", Recovery}};
}

}  // namespace brae::cli
