// brae-cli commands over the tag store: archives, tags, tag operations, add-ons.
#include <cstdio>
#include <cstring>

#include "cli/CliCommon.h"
#include "core/FileModes.h"
#include "core/MessageLog.h"
#include "tagstore/AddonBuilder.h"
#include "tagstore/Codex.h"
#include "tagstore/TagGroups.h"

namespace brae::cli {

namespace {

// Loads the game folder with the default working set; false when it has no archives or local
// folder at all.
bool LoadGame(const std::string& game) {
  if (!FolderExists(game)) return false;
  TheMessageLog().SetEcho(true);
  TheCodex().LoadCodex(game);
  return true;
}

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

// Parses "GAMEDIR CODE TAGID" and finds the effective tag.
int FindTagArgs(const Args& args, size_t extra, TagRecord** record) {
  if (args.size() != 3 + extra) return Fail("expected GAMEDIR CODE TAGID");
  uint32_t group = 0, id = 0;
  if (!ParseCode(args[1], &group)) return Fail("bad group code '%s'", args[1].c_str());
  if (!ParseCode(args[2], &id)) return Fail("bad tagid '%s'", args[2].c_str());
  if (!LoadGame(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  *record = TheCodex().FindTag(group, id);
  if (!*record) {
    return Fail("no tag '%s' '%s' in '%s'", FourCCText(group).c_str(), FourCCText(id).c_str(),
                args[0].c_str());
  }
  return kOk;
}

std::string RankName(const TagInstance& i) {
  if (!i.archive) return "local folder";
  return i.archive->file_name;
}

int Archives(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 1) return Fail("expected GAMEDIR [--json]");
  if (!LoadGame(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  Codex& codex = TheCodex();
  Node root;
  Node& list = root.AddGroup("archives", true);
  if (!json) std::printf("%-28s %4s %8s %6s %s\n", "archive", "kind", "priority", "tags", "active");
  for (size_t i = 0; i < codex.ArchiveCount(); ++i) {
    const ArchiveRecord* a = codex.ArchiveAt(i);
    const bool older = a->header.signature == kSignatureVorn;
    if (!json) {
      std::printf("%-28s %4u %8u %6zu %s%s\n", a->file_name.c_str(), a->header.kind,
                  a->header.priority, a->instances.size(), a->active ? "yes" : "no",
                  older ? " (older layout)" : "");
      continue;
    }
    Node& n = list.AddGroup("");
    n.Add("archive", a->file_name);
    n.Add("kind", a->header.kind);
    n.Add("priority", a->header.priority);
    n.Add("tags", int64_t(a->instances.size()));
    n.Add("active", a->active ? "yes" : "no");
    n.Add("layout", older ? "older" : "current");
  }
  if (json) std::fputs(RenderJson(root).c_str(), stdout);
  return kOk;
}

int List(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  std::string group_text;
  const bool by_group = TakeOption(args, "--group", &group_text);
  uint32_t group = 0;
  if (by_group && !ParseCode(group_text, &group))
    return Fail("bad group code '%s'", group_text.c_str());
  if (args.size() != 1) return Fail("expected GAMEDIR [--group CODE] [--json]");
  if (!LoadGame(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  Codex& codex = TheCodex();
  std::vector<TagRecord*> records;
  if (by_group) {
    codex.ListTagsOfGroup(group, &records);
  } else {
    codex.ListTags(&records);
  }
  Node root;
  Node& list = root.AddGroup("tags", true);
  if (!json)
    std::printf("%-4s %-4s %-31s %8s %5s %s\n", "grp", "tag", "name", "size", "vers", "location");
  for (TagRecord* r : records) {
    TagHeader h;
    codex.GetEffectiveHeader(r, &h);
    if (!json) {
      std::printf("%-4s %-4s %-31s %8u %5u %s\n", FourCCText(r->group).c_str(),
                  FourCCText(r->subgroup).c_str(), h.Name().c_str(), h.size, h.version,
                  codex.GetLocationName(r).c_str());
      continue;
    }
    Node& n = list.AddGroup("");
    n.Add("group", FourCCText(r->group));
    n.Add("tag", FourCCText(r->subgroup));
    n.Add("name", h.Name());
    n.Add("size", h.size);
    n.Add("version", h.version);
    n.Add("location", codex.GetLocationName(r));
  }
  if (json) std::fputs(RenderJson(root).c_str(), stdout);
  return kOk;
}

void DescribeHeader(const TagHeader& h, Node* n) {
  n->Add("identifier", h.identifier);
  n->Add("flags", h.flags);
  n->Add("type", h.type);
  n->Add("name", h.Name());
  n->Add("group", FourCCText(h.group));
  n->Add("tag", FourCCText(h.subgroup));
  n->Add("offset", h.offset);
  n->Add("size", h.size);
  n->Add("user", Hex(h.user_data));
  n->Add("version", h.version);
  n->Add("foundation_index", h.foundation_index);
  n->Add("owner_index", h.owner_index);
  n->Add("game", FourCCText(h.signature));
}

bool ReadEffectiveData(TagRecord* record, std::vector<uint8_t>* data, TagHeader* header) {
  FileStream* in = TheCodex().BeginTagRead(record, header);
  if (!in) return false;
  data->resize(header->size);
  const bool ok = data->empty() || in->Read(data->data(), data->size());
  TheCodex().EndTagRead(record);
  return ok;
}

int Show(const Args& in) {
  Args args = in;
  const bool json = TakeFlag(args, "--json");
  TagRecord* record = nullptr;
  if (int rc = FindTagArgs(args, 0, &record)) return rc;
  Codex& codex = TheCodex();
  const TagInstance* winner = codex.GetEffectiveInstance(record);

  Node root;
  DescribeHeader(winner->header, &root.AddGroup("header"));
  root.Add("location", codex.GetLocationName(record));
  Node& chain = root.AddGroup("copies", true);
  for (const TagInstance* i : record->instances) {
    Node& c = chain.AddGroup("");
    c.Add("location", RankName(*i));
    c.Add("rank", i->rank);
    if (i->archive) {
      c.Add("archive_kind", i->archive->header.kind);
      c.Add("archive_priority", i->archive->header.priority);
      c.Add("archive_active", i->archive->active ? "yes" : "no");
    } else {
      c.Add("file", i->file_name);
    }
    c.Add("size", i->header.size);
    c.Add("version", i->header.version);
    c.Add("effective", i == winner ? "yes" : "no");
  }

  for (const TagDescriber& d : AllDescribers()) {
    if (d.group != record->group) continue;
    std::vector<uint8_t> data;
    TagHeader h;
    std::string error;
    Node& contents = root.AddGroup("contents");
    if (!ReadEffectiveData(record, &data, &h)) return Fail("cannot read the tag's data");
    if (!d.describe(data, &contents, &error))
      return Fail("cannot describe the tag: %s", error.c_str());
    break;
  }
  std::fputs((json ? RenderJson(root) : RenderText(root)).c_str(), stdout);
  return kOk;
}

int Extract(const Args& args) {
  TagRecord* record = nullptr;
  if (int rc = FindTagArgs(args, 1, &record)) return rc;
  std::vector<uint8_t> data;
  TagHeader h;
  if (!ReadEffectiveData(record, &data, &h)) return Fail("cannot read the tag's data");
  const std::string& out = args[3];
  const std::string temp = out + ".part";
  FileStream file;
  bool ok = file.Open(temp, FileStream::kCreate) &&
            (data.empty() || file.Write(data.data(), data.size()));
  ok = file.Close() && ok;
  if (!ok || !GiveReplacingFileMode(temp, out) || !RenameFile(temp, out)) {
    RemoveFile(temp);
    return Fail("cannot write '%s'", out.c_str());
  }
  std::printf("%zu bytes written to %s\n", data.size(), out.c_str());
  return kOk;
}

int CopyToLocalCommand(const Args& args) {
  TagRecord* record = nullptr;
  if (int rc = FindTagArgs(args, 0, &record)) return rc;
  if (record->local) return Fail("the tag already has a local copy");
  if (!TheCodex().CopyToLocal(record))
    return Fail("the tag could not be copied to the local folder");
  std::printf("copied to %s\n",
              TheCodex().LocalTagPath(record->group, record->local->file_name).c_str());
  return kOk;
}

int Duplicate(const Args& in) {
  Args args = in;
  std::string name;
  const bool named = TakeOption(args, "--name", &name);
  TagRecord* record = nullptr;
  if (int rc = FindTagArgs(args, 0, &record)) return rc;
  TagRecord* copy = TheCodex().DuplicateTag(record, named ? &name : nullptr);
  if (!copy) return Fail("the tag could not be duplicated");
  TagHeader h;
  TheCodex().GetEffectiveHeader(copy, &h);
  std::printf("%s %s %s\n", FourCCText(copy->group).c_str(), FourCCText(copy->subgroup).c_str(),
              h.Name().c_str());
  return kOk;
}

int Rename(const Args& in) {
  Args args = in;
  std::string name, id_text;
  const bool named = TakeOption(args, "--name", &name);
  uint32_t id = kNoSubgroup;
  if (TakeOption(args, "--tagid", &id_text) && (!ParseCode(id_text, &id) || id == kNoSubgroup)) {
    return Fail("bad tagid '%s'", id_text.c_str());
  }
  if (!named && id == kNoSubgroup) return Fail("expected --name NAME and/or --tagid TAGID");
  TagRecord* record = nullptr;
  if (int rc = FindTagArgs(args, 0, &record)) return rc;
  if (id != kNoSubgroup && id != record->subgroup && TheCodex().FindTag(record->group, id)) {
    return Fail("the tagid '%s' is already taken", FourCCText(id).c_str());
  }
  TagRecord* result = TheCodex().ChangeTagInfo(record, id, named ? &name : nullptr);
  if (!result) return Fail("the tag could not be changed");
  TagHeader h;
  TheCodex().GetEffectiveHeader(result, &h);
  std::printf("%s %s %s\n", FourCCText(result->group).c_str(), FourCCText(result->subgroup).c_str(),
              h.Name().c_str());
  return kOk;
}

int DeleteLocal(const Args& args) {
  TagRecord* record = nullptr;
  if (int rc = FindTagArgs(args, 0, &record)) return rc;
  if (!record->local) return Fail("the tag has no local copy");
  if (!TheCodex().DeleteLocalTag(record)) return Fail("the local file could not be deleted");
  std::printf("deleted\n");
  return kOk;
}

int Unpack(const Args& args) {
  if (args.size() != 2) return Fail("expected ARCHIVE OUTDIR");
  ArchiveRecord* archive = TheCodex().AddArchive(args[0]);
  if (!archive) return Fail("'%s' is not a readable archive", args[0].c_str());
  if (!MakeFolder(args[1])) return Fail("cannot create the folder '%s'", args[1].c_str());
  TheMessageLog().SetEcho(true);
  TheCodex().UnpackArchive(archive, args[1]);
  std::printf("%zu tags unpacked into %s\n", archive->instances.size(), args[1].c_str());
  return kOk;
}

// Answers the add-on dialog from the command line and prints the messages.
class CliAddonUi : public AddonUi {
 public:
  CliAddonUi(std::string name, std::string url, std::string priority)
      : name_(std::move(name)), url_(std::move(url)), priority_(std::move(priority)) {}
  bool RunAddonDialog(std::string* name, std::string* url, std::string* priority) override {
    *name = name_;
    *url = url_;
    *priority = priority_;
    return true;
  }
  void ShowMessage(const std::string& title, const std::string& text, const std::string&) override {
    std::string plain = text;
    for (char& c : plain) {
      if (c == '\xA5') c = '*';
    }
    std::fprintf(title == "Success" ? stdout : stderr, "%s: %s\n", title.c_str(), plain.c_str());
  }

 private:
  std::string name_, url_, priority_;
};

int BuildAddonCommand(const Args& in) {
  Args args = in;
  std::string name, url, priority = "100";
  if (!TakeOption(args, "--name", &name) || !TakeOption(args, "--url", &url)) {
    return Fail("expected GAMEDIR --name NAME --url URL [--priority P]");
  }
  TakeOption(args, "--priority", &priority);
  if (args.size() != 1) return Fail("expected GAMEDIR --name NAME --url URL [--priority P]");
  if (!LoadGame(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  CliAddonUi ui(name, url, priority);
  AddonBuilder builder(TheCodex(), ui);
  return builder.BuildRegularAddon() ? kOk : kFail;
}

bool DescribeText(const std::vector<uint8_t>& data, Node* out, std::string*) {
  std::string text(data.begin(), data.end());
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  out->Add("bytes", int64_t(data.size()));
  out->Add("lines", int64_t(lines));
  out->Add("text", text);
  return true;
}

}  // namespace

std::vector<Command> TagstoreCommands() {
  return {
      {"archives", "GAMEDIR [--json]", Archives},
      {"list", "GAMEDIR [--group CODE] [--json]", List},
      {"show", "GAMEDIR CODE TAGID [--json]", Show},
      {"extract", "GAMEDIR CODE TAGID OUTFILE", Extract},
      {"copy-to-local", "GAMEDIR CODE TAGID", CopyToLocalCommand},
      {"duplicate", "GAMEDIR CODE TAGID [--name NAME]", Duplicate},
      {"rename", "GAMEDIR CODE TAGID [--name NAME] [--tagid TAGID]", Rename},
      {"delete-local", "GAMEDIR CODE TAGID", DeleteLocal},
      {"unpack", "ARCHIVE OUTDIR", Unpack},
      {"build-addon", "GAMEDIR --name NAME --url URL [--priority P]", BuildAddonCommand},
  };
}

std::vector<TagDescriber> TagstoreDescribers() {
  std::vector<TagDescriber> list;
  for (const char* code : {"text", "scri", "stli", "temp", "ditl"}) {
    list.push_back({MakeFourCC(code[0], code[1], code[2], code[3]), DescribeText});
  }
  return list;
}

}  // namespace brae::cli
