// brae-cli get and set: members of structure-defined tags read and written as the form editor
// shows and takes them.
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/CliCommon.h"
#include "compare/CopyDiff.h"
#include "core/MessageLog.h"
#include "editing/structdefs/MemberText.h"
#include "editing/structdefs/StructRegistry.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"
#include "tagstore/TagGroups.h"

namespace brae::cli {

namespace {

// One tag's record in memory order, with the header it was read with.
struct LoadedRecord {
  TagRecord* record = nullptr;
  TagHeader header;
  std::vector<uint8_t> bytes;
};

bool LoadRecord(const StructDefinition& def, TagRecord* record, LoadedRecord* out,
                std::string* error) {
  Codex& codex = TheCodex();
  FileStream* in = codex.BeginTagRead(record, &out->header);
  if (!in) {
    *error = "cannot open the tag";
    return false;
  }
  std::vector<uint8_t> data(out->header.size);
  bool ok = data.empty() || in->Read(data.data(), data.size());
  codex.EndTagRead(record);
  if (!ok) {
    *error = "cannot read the tag's data";
    return false;
  }
  if (data.size() != def.Size()) {
    *error = "the tag holds " + std::to_string(data.size()) + " bytes; '" + def.name + "' has " +
             std::to_string(def.Size());
    return false;
  }
  out->record = record;
  out->bytes.resize(def.Size());
  ConvertFromFile(data.data(), out->bytes.data(), 1, def.FieldDescription());
  return true;
}

// Writes the record as the tag's local file through the Codex (the previous file stays when
// anything fails).
bool SaveRecord(const StructDefinition& def, LoadedRecord& loaded) {
  std::vector<uint8_t> data(def.Size());
  ConvertToFile(loaded.bytes.data(), data.data(), 1, def.FieldDescription());
  Codex& codex = TheCodex();
  TagHeader header = loaded.header;
  FileStream* out = codex.BeginTagWrite(loaded.record, &header);
  if (!out) return false;
  bool ok = out->Write(data.data(), data.size());
  return codex.EndTagWrite(loaded.record, &header, ok) && ok;
}

std::string TagLabel(const LoadedRecord& r) {
  return "'" + std::string(r.header.Name()) + "' (" + FourCCText(r.record->subgroup) + ")";
}

// Loads the game and the definitions, and finds the group's structure.
int PrepareGroup(const std::string& game, const std::string& code, uint32_t* group,
                 const StructDefinition** def) {
  if (!ParseCode(code, group)) return Fail("bad group code '%s'", code.c_str());
  if (!FolderExists(game)) return Fail("cannot read the game folder '%s'", game.c_str());
  TheMessageLog().SetEcho(true);
  TheCodex().LoadCodex(game);
  LoadStructDefinitions();
  *def = TheStructRegistry().DefinitionForGroup(*group);
  if (!*def) return Fail("no structure definition for the group '%s'", FourCCText(*group).c_str());
  return kOk;
}

int FindRecord(uint32_t group, const std::string& tagid, const std::string& game,
               TagRecord** record) {
  uint32_t id = 0;
  if (!ParseCode(tagid, &id)) return Fail("bad tagid '%s'", tagid.c_str());
  *record = TheCodex().FindTag(group, id);
  if (!*record)
    return Fail("no tag '%s' '%s' in '%s'", FourCCText(group).c_str(), FourCCText(id).c_str(),
                game.c_str());
  return kOk;
}

// ---- get

int Get(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  if (args.size() < 3) return Fail("expected GAMEDIR CODE TAGID [PATH...] [--json]");
  uint32_t group = 0;
  const StructDefinition* def = nullptr;
  if (int rc = PrepareGroup(args[0], args[1], &group, &def)) return rc;
  TagRecord* record = nullptr;
  if (int rc = FindRecord(group, args[2], args[0], &record)) return rc;
  std::vector<MemberPlace> places;
  if (args.size() == 3) places = ListMemberPlaces(*def);
  for (size_t i = 3; i < args.size(); ++i) {
    MemberPlace place;
    std::string error;
    if (!ResolveMemberPath(*def, args[i], &place, &error)) return Fail("%s", error.c_str());
    places.push_back(place);
  }
  LoadedRecord loaded;
  std::string error;
  if (!LoadRecord(*def, record, &loaded, &error)) return Fail("%s", error.c_str());
  CodexTagNames names(TheCodex());
  Node root;
  for (const MemberPlace& place : places)
    root.Add(place.path,
             FormatMemberValue(place, loaded.bytes.data(), loaded.bytes.size(), &names));
  if (json) {
    std::fputs(RenderJson(root).c_str(), stdout);
  } else {
    for (const Node& n : root.children) std::printf("%s=%s\n", n.key.c_str(), n.value.c_str());
  }
  return kOk;
}

// ---- set

struct Assignment {
  MemberPlace place;
  std::string text;
};

// Applies every assignment to the record in order, as the form would one control after the
// other (a changed tag resets the sequences listed from it). False with a message on the first
// value that cannot be taken; the record is then only partly changed and must not be saved.
bool Apply(const StructDefinition& def, const std::vector<Assignment>& assignments,
           const TagNames& names, std::vector<uint8_t>* bytes, std::string* error) {
  for (const Assignment& a : assignments) {
    int64_t stored = 0;
    if (!ParseMemberValue(a.place, a.text, bytes->data(), bytes->size(), &names, &stored, error))
      return false;
    std::string before = FormatMemberValue(a.place, bytes->data(), bytes->size(), nullptr);
    if (!StoreMemberValue(a.place, stored, bytes->data(), bytes->size())) {
      *error = "'" + a.place.path + "': cannot be stored";
      return false;
    }
    bool tag_changed = a.place.member->type == kMemberTag && a.place.structure == &def &&
                       before != FormatMemberValue(a.place, bytes->data(), bytes->size(), nullptr);
    if (tag_changed)
      ResetDependentSequences(TheStructRegistry(), def, a.place.member->name, bytes->data(),
                              bytes->size());
  }
  return true;
}

int Set(const Args& in) {
  Args args = in;
  const bool all = TakeFlag(args, "--all");
  const size_t first = all ? 2 : 3;
  if (args.size() <= first)
    return Fail("expected GAMEDIR CODE TAGID PATH=VALUE... or GAMEDIR CODE --all PATH=VALUE...");
  uint32_t group = 0;
  const StructDefinition* def = nullptr;
  if (int rc = PrepareGroup(args[0], args[1], &group, &def)) return rc;

  std::vector<Assignment> assignments;
  for (size_t i = first; i < args.size(); ++i) {
    size_t equals = args[i].find('=');
    if (equals == std::string::npos || equals == 0)
      return Fail("expected PATH=VALUE, not '%s'", args[i].c_str());
    Assignment a;
    a.text = args[i].substr(equals + 1);
    std::string error;
    if (!ResolveMemberPath(*def, args[i].substr(0, equals), &a.place, &error))
      return Fail("%s", error.c_str());
    assignments.push_back(a);
  }

  std::vector<TagRecord*> records;
  if (all) {
    TheCodex().ListTagsOfGroup(group, &records);
  } else {
    TagRecord* record = nullptr;
    if (int rc = FindRecord(group, args[2], args[0], &record)) return rc;
    records.push_back(record);
  }

  // Every tag is changed in memory first; nothing is written unless all of them take every value.
  CodexTagNames names(TheCodex());
  std::vector<LoadedRecord> changed;
  for (TagRecord* record : records) {
    LoadedRecord loaded;
    std::string error;
    if (!LoadRecord(*def, record, &loaded, &error))
      return Fail("%s '%s': %s", FourCCText(group).c_str(), FourCCText(record->subgroup).c_str(),
                  error.c_str());
    std::vector<uint8_t> before = loaded.bytes;
    if (!Apply(*def, assignments, names, &loaded.bytes, &error)) return Fail("%s", error.c_str());
    if (loaded.bytes != before) {
      changed.push_back(std::move(loaded));
    } else if (!all) {
      std::printf("%s unchanged\n", TagLabel(loaded).c_str());
    }
  }

  // One flush to disk for all of them; each file replaces its tag's file only once on disk.
  std::vector<const TagRecord*> failed;
  TheCodex().BeginWriteBatch();
  for (LoadedRecord& loaded : changed)
    if (!SaveRecord(*def, loaded)) failed.push_back(loaded.record);
  for (TagRecord* record : TheCodex().EndWriteBatch()) failed.push_back(record);
  for (LoadedRecord& loaded : changed) {
    bool ok = std::find(failed.begin(), failed.end(), loaded.record) == failed.end();
    if (ok)
      std::printf("%s changed\n", TagLabel(loaded).c_str());
    else
      std::fprintf(stderr, "brae-cli: %s could not be saved\n", TagLabel(loaded).c_str());
  }
  if (all) std::printf("%zu of %zu tags changed\n", changed.size() - failed.size(), records.size());
  return failed.empty() ? kOk : kFail;
}

}  // namespace

std::vector<Command> StructCommands() {
  return {
      {"get", "GAMEDIR CODE TAGID [PATH...] [--json]", Get},
      {"set", "GAMEDIR CODE TAGID|--all PATH=VALUE...", Set},
  };
}

}  // namespace brae::cli
