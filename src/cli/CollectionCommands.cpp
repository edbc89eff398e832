// brae-cli over collections and structure-defined tags: the "show" describers of '.256' and
// of every group that a structure definition binds, and the collection commands (import,
// export, plates, crop and uncrop) over the same functions as the collection editor.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "cli/CliCommon.h"
#include "collection/CollectionFormat.h"
#include "collection/HueMath.h"
#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"
#include "tagstore/TagGroups.h"

#include "collection/BitmapExport.h"
#include "collection/BitmapOperations.h"
#include "collection/BitmapReplace.h"
#include "collection/CollectionImport.h"
#include "collection/CollectionOptimize.h"
#include "collection/CollectionSettings.h"
#include "collection/Plates.h"

namespace brae::cli {

namespace {

// ---- Collections

std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

std::string SoundName(uint32_t id) {
  return id == kNoSubgroup ? "none" : FourCCText(id);
}

void DescribeBitmap(const Collection& c, const CollectionBitmap& b, Node* n) {
  n->Add("name", b.name);
  n->Add("width", b.width);
  n->Add("height", b.height);
  n->Add("bits", b.DepthText());
  n->Add("format", b.IsRle() ? "RLE" : "RAW");
  n->Add("flags", Hex(b.flags));
  n->Add("used", c.IsBitmapUsed(&b) ? "yes" : "no");
}

void DescribeSequence(const Collection& c, const CollectionSequence& s, Node* n) {
  n->Add("name", s.name);
  n->Add("flags", Hex(s.header.flags));
  n->Add("mirrored", s.IsMirrored() ? "yes" : "no");
  n->Add("views", s.ViewCount());
  n->Add("stored_views", s.StoredViewCount());
  n->Add("frames", s.FrameCount());
  n->Add("ticks_per_frame", s.header.ticks_per_frame);
  n->Add("key_frame", s.header.key_frame);
  n->Add("loop_frame", s.header.loop_frame);
  n->Add("first_sound", SoundName(s.header.first_sound));
  n->Add("key_sound", SoundName(s.header.key_sound));
  n->Add("last_sound", SoundName(s.header.last_sound));
  n->Add("transfer_mode", s.header.transfer_mode);
  Node& frames = n->AddGroup("frame_bitmaps", true);  // bitmap index per stored view
  for (const CollectionFrame& f : s.frames) {
    Node& views = frames.AddGroup("", true);
    for (int v = 0; v < s.StoredViewCount() && size_t(v) < f.views.size(); ++v) {
      const auto& in = f.views[size_t(v)];
      views.Add("", in ? c.IndexOfBitmap(in->bitmap) : -1);
    }
  }
}

bool DescribeCollection(const std::vector<uint8_t>& data, Node* out, std::string* error) {
  // The flags' authoritative copy is in the tag header; offset 4 of the data holds the same.
  TagHeader header;
  header.user_data = data.size() >= 8 ? LoadBE32(data.data() + 4) : 0;
  Collection c;
  const CollectionResult r =
      LoadCollection(data.data(), data.size(), header, CollectionLoadOptions(), &c);
  if (!r) {
    *error = r.message;
    return false;
  }
  out->Add("flags", Hex(c.flags));
  out->Add("color_map", c.IsColorMap() ? "yes" : "no");
  out->Add("placeholders", r.placeholders);
  // Children are added one group at a time: adding a group may move its elder siblings.
  for (bool shadow : {false, true}) {
    Node& list = out->AddGroup(shadow ? "shadows" : "bitmaps", true);
    for (size_t i = 0; i < c.bitmaps.size(); ++i) {
      const CollectionBitmap& b = *c.bitmaps[i];
      if (b.IsShadow() != shadow) continue;
      Node& n = list.AddGroup("");
      n.Add("index", int64_t(i));
      DescribeBitmap(c, b, &n);
    }
  }
  Node& hues = out->AddGroup("hue_changes", true);
  for (const HueChange& h : c.hue_changes) {
    Node& n = hues.AddGroup("");
    n.Add("name", FixedName(h.name, sizeof h.name));
    n.Add("start_hue", h.start_hue);
    n.Add("end_hue", h.end_hue);
    n.Add("median_hue", h.median_hue);
    n.Add("replacement", h.replacement_mode);
  }
  Node& sequences = out->AddGroup("sequences", true);
  for (const auto& s : c.sequences) DescribeSequence(c, *s, &sequences.AddGroup(""));
  return true;
}

// ---- Structure-defined tags

void DescribeRecord(const StructDefinition& def, const uint8_t* record, Node* out);

void DescribeElement(const StructDefinition& def, const StructMember& m, const uint8_t* record,
                     int index, Node* out, const std::string& key) {
  if (m.type == kMemberSubstruct) {
    const auto& sub = static_cast<const VornStructMember&>(m);
    DescribeRecord(*sub.embedded, record + m.offset + size_t(index) * m.ElementSize(),
                   &out->AddGroup(key));
    return;
  }
  const int64_t stored = ReadStoredValue(m, record, def.Size(), index);
  if (m.type == kMemberTag) {
    out->Add(key, stored == -1 ? std::string("none") : FourCCText(uint32_t(stored)));
  } else if (m.type == kMemberColor) {
    out->Add(key, stored);
  } else if (m.Info().numerator == m.Info().denominator) {
    const auto* e = dynamic_cast<const EnumMember*>(&m);
    std::string label;
    if (e) {
      for (const EnumChoice& choice : e->choices) {
        if (choice.value == stored) label = choice.text;
      }
    }
    if (label.empty()) {
      out->Add(key, stored + LowerBoundValue(def, m, record, def.Size()));
    } else {
      out->Add(key, label);
    }
  } else {
    out->Add(key, DisplayText(m, stored, LowerBoundValue(def, m, record, def.Size())));
  }
}

void DescribeRecord(const StructDefinition& def, const uint8_t* record, Node* out) {
  for (const auto& m : def.members) {
    if (m->type == kMemberPadding || m->Size() == 0) continue;
    const std::string key = m->name.empty() ? "@" + std::to_string(m->offset) : m->name;
    if (m->count == 1) {
      DescribeElement(def, *m, record, 0, out, key);
      continue;
    }
    Node& list = out->AddGroup(key, true);
    for (int i = 0; i < m->count; ++i) DescribeElement(def, *m, record, i, &list, "");
  }
}

bool DescribeStruct(uint32_t group, const std::vector<uint8_t>& data, Node* out,
                    std::string* error) {
  const StructDefinition* def = TheStructRegistry().DefinitionForGroup(group);
  if (!def) {
    *error = "no structure definition";
    return false;
  }
  if (data.size() != def->Size()) {
    *error = "the tag holds " + std::to_string(data.size()) + " bytes; '" + def->name + "' has " +
             std::to_string(def->Size());
    return false;
  }
  std::vector<uint8_t> record(def->Size());
  ConvertFromFile(data.data(), record.data(), 1, def->FieldDescription());
  out->Add("structure", def->name);
  DescribeRecord(*def, record.data(), &out->AddGroup("members"));
  return true;
}

// One describer function per row of the group table.
template <size_t Row>
bool DescribeStructRow(const std::vector<uint8_t>& data, Node* out, std::string* error) {
  return DescribeStruct(TagGroupTable()[Row].code, data, out, error);
}

template <size_t... Rows>
constexpr std::array<bool (*)(const std::vector<uint8_t>&, Node*, std::string*), sizeof...(Rows)>
StructRowDescribers(std::index_sequence<Rows...>) {
  return {&DescribeStructRow<Rows>...};
}

}  // namespace

// ---- Commands that read and write collections

namespace {

// A collection read from the game folder, to be written back into the local folder.
struct CliCollection {
  TagRecord* record = nullptr;
  TagHeader header;
  Collection collection;
};

constexpr const char* kColorMapRefusal =
    "The collection is a color map, which is currently not supported for editing.\nUse Morrow "
    "instead.";

// Loads GAMEDIR and the collection TAGID with its pixels; kOk or a refusal already reported.
int LoadCliCollection(const std::string& game, const std::string& tagid, bool for_editing,
                      CliCollection* out) {
  uint32_t id = 0;
  if (!ParseCode(tagid, &id)) return Fail("bad tagid '%s'", tagid.c_str());
  if (!FolderExists(game)) return Fail("cannot read the game folder '%s'", game.c_str());
  Codex& codex = TheCodex();
  codex.LoadCodex(game);
  out->record = codex.FindTag(kCollectionGroup, id);
  if (!out->record || !codex.HasEffectiveInstance(out->record))
    return Fail("no collection '%s' in '%s'", FourCCText(id).c_str(), game.c_str());
  FileStream* in = codex.BeginTagRead(out->record, &out->header);
  if (!in) return Fail("cannot read the collection '%s'", FourCCText(id).c_str());
  const CollectionResult loaded =
      ReadCollection(*in, out->header, CollectionLoadOptions(), &out->collection);
  codex.EndTagRead(out->record);
  if (!loaded) {
    return Fail("cannot read the collection '%s': %s", FourCCText(id).c_str(),
                loaded.message.c_str());
  }
  if (for_editing && out->collection.IsColorMap()) return Fail("%s", kColorMapRefusal);
  return kOk;
}

// Writes the collection into the local folder through the Codex.
int SaveCliCollection(CliCollection& c) {
  Codex& codex = TheCodex();
  TagHeader header = c.header;
  FileStream* out = codex.BeginTagWrite(c.record, &header);
  if (!out) return Fail("cannot write the collection into the local folder");
  const CollectionResult written = WriteCollection(*out, c.collection, &header);
  if (!codex.EndTagWrite(c.record, &header, bool(written)) || !written) {
    return Fail("cannot write the collection: %s",
                written ? "the local file could not be put in place" : written.message.c_str());
  }
  std::printf("wrote '%s' (%s) into the local folder\n", header.Name().c_str(),
              FourCCText(c.record->subgroup).c_str());
  return kOk;
}

// Prints an operation's messages: errors on standard error, the others on standard output.
void PrintMessages(const OperationResult& r) {
  for (const OperationMessage& m : r.messages) {
    if (m.title == "Error") {
      std::fprintf(stderr, "brae-cli: %s\n", m.text.c_str());
    } else {
      std::printf("%s\n", m.text.c_str());
    }
  }
}

// Prints the messages; a failure is a refusal (nothing written), success writes when changed.
int Finish(CliCollection& c, const OperationResult& r) {
  PrintMessages(r);
  if (!r) return kFail;
  if (!r.changed) return kOk;
  return SaveCliCollection(c);
}

// The bitmaps (not shadows) of the collection, in list order.
std::vector<size_t> ListedBitmaps(const Collection& c) {
  std::vector<size_t> v;
  for (size_t i = 0; i < c.bitmaps.size(); ++i) {
    if (!c.bitmaps[i]->IsShadow()) v.push_back(i);
  }
  return v;
}

// The bitmaps (not shadows) of these names, each with every bitmap of its name; false (after
// reporting) for a name that no bitmap has.
bool BitmapsNamed(const Collection& c, const Args& names, std::vector<size_t>* out) {
  for (const std::string& name : names) {
    bool found = false;
    for (size_t i = 0; i < c.bitmaps.size(); ++i) {
      if (c.bitmaps[i]->IsShadow() || c.bitmaps[i]->name != name) continue;
      if (std::find(out->begin(), out->end(), i) == out->end()) out->push_back(i);
      found = true;
    }
    if (!found) {
      Fail("no bitmap named '%s'", name.c_str());
      return false;
    }
  }
  std::sort(out->begin(), out->end());
  return true;
}

bool ParseCount(const std::string& text, int* value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || errno || v < INT32_MIN || v > INT32_MAX) return false;
  *value = int(v);
  return true;
}

// ---- collection-import

int CollectionImport(const Args& in) {
  Args args = in;
  const bool shadows = TakeFlag(args, "--shadows");
  const bool replace_palette = TakeFlag(args, "--replace-palette");
  const bool convert = TakeFlag(args, "--convert");
  if (args.size() < 3)
    return Fail("expected GAMEDIR TAGID FILE... [--shadows] [--replace-palette] [--convert]");
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], true, &c)) return status;
  const std::vector<std::string> files(args.begin() + 2, args.end());
  OperationResult r;
  if (shadows) {
    r = ImportShadowsFromFiles(&c.collection, files);
  } else {
    // Without --convert no question is asked: a file that is not 8-bit paletted is refused.
    Question convert_question;
    if (convert) {
      convert_question = [](const std::string& question) {
        std::printf("%s\n%s\n", question.c_str(), kConvertButton);
        return true;
      };
    }
    r = ImportBitmapsFromFiles(
        &c.collection, files,
        [&](const std::string& question) {
          std::printf(
              "%s\n%s\n", question.c_str(),
              replace_palette ? "Replace" : "Cancel (pass --replace-palette to replace it)");
          return replace_palette;
        },
        convert_question);
  }
  // All or nothing: a file left out is a refusal.
  if (r && r.bitmaps.size() != files.size()) r.ok = false;
  if (r) {
    for (size_t i : r.bitmaps) {
      const CollectionBitmap& b = *c.collection.bitmaps[i];
      std::printf("added %s '%s' (%d x %d, %s %s bit)\n", shadows ? "shadow" : "bitmap",
                  b.name.c_str(), b.width, b.height, b.IsRle() ? "RLE" : "RAW", b.DepthText());
    }
  }
  return Finish(c, r);
}

// ---- collection-replace

// The bitmap or shadow named NAME (the first of that name) replaced in place from one image
// file, as the collection editor does when an external editor saved the bitmap.
int CollectionReplace(const Args& in) {
  Args args = in;
  const bool replace_palette = TakeFlag(args, "--replace-palette");
  if (args.size() != 4) return Fail("expected GAMEDIR TAGID NAME FILE [--replace-palette]");
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], true, &c)) return status;
  const int index = [&] {
    for (size_t i = 0; i < c.collection.bitmaps.size(); ++i)
      if (c.collection.bitmaps[i]->name == args[2]) return int(i);
    return -1;
  }();
  if (index < 0) return Fail("no bitmap or shadow named '%s'", args[2].c_str());
  const OperationResult r = ReplaceBitmapFromFile(
      &c.collection, size_t(index), args[3], [&](const std::string& question) {
        std::printf("%s\n%s\n", question.c_str(),
                    replace_palette ? "Replace" : "Cancel (pass --replace-palette to replace it)");
        return replace_palette;
      });
  if (r) {
    const CollectionBitmap& b = *c.collection.bitmaps[size_t(index)];
    std::printf("replaced %s '%s' (%d x %d, %s %s bit)\n", b.IsShadow() ? "shadow" : "bitmap",
                b.name.c_str(), b.width, b.height, b.IsRle() ? "RLE" : "RAW", b.DepthText());
  }
  return Finish(c, r);
}

// ---- collection-export

int CollectionExport(const Args& in) {
  Args args = in;
  const bool alpha = TakeFlag(args, "--alpha");
  const bool by_name = TakeFlag(args, "--by-name");
  if (args.size() != 3) return Fail("expected GAMEDIR TAGID OUTDIR [--alpha] [--by-name]");
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], false, &c)) return status;
  // Colour exports cover every bitmap and shadow; alpha exports the bitmaps.
  std::vector<size_t> listed;
  if (alpha) {
    listed = ListedBitmaps(c.collection);
  } else {
    for (size_t i = 0; i < c.collection.bitmaps.size(); ++i) listed.push_back(i);
  }
  std::vector<std::string> written;
  const OperationResult r =
      ExportBitmapsToFolder(c.collection, listed, NormalizedFolderPath(args[2]),
                            by_name ? ExportNaming::kByName : ExportNaming::kByPosition, alpha,
                            MediaType::kPng, &written);
  for (const std::string& path : written) std::printf("%s\n", path.c_str());
  PrintMessages(r);
  return r ? kOk : kFail;
}

// ---- collection-plate-export

int CollectionPlateExport(const Args& in) {
  Args args = in;
  const bool alpha = TakeFlag(args, "--alpha");
  std::string columns_text;
  PlateOptions options;
  options.alpha = alpha;
  if (TakeOption(args, "--columns", &columns_text) &&
      (!ParseCount(columns_text, &options.columns) || options.columns < 1))
    return Fail("bad column count '%s'", columns_text.c_str());
  if (args.size() != 3) return Fail("expected GAMEDIR TAGID OUT [--alpha] [--columns N]");
  if (MediaTypeInfoOf(MediaTypeFromPath(args[2])).group != MediaGroup::kImage)
    return Fail("'%s' has no image extension (.bmp, .png, .tiff)", args[2].c_str());
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], false, &c)) return status;
  const std::vector<size_t> listed = ListedBitmaps(c.collection);
  const OperationResult r = ExportPlate(c.collection, listed, options, args[2]);
  PrintMessages(r);
  if (!r) return kFail;
  std::printf("%s\n", args[2].c_str());
  return kOk;
}

// ---- collection-plate-import

int CollectionPlateImport(const Args& args) {
  if (args.size() != 3) return Fail("expected GAMEDIR TAGID PLATE");
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], true, &c)) return status;
  const OperationResult r = AddBitmapsFromPlate(&c.collection, args[2]);
  if (r) {
    for (size_t i : r.bitmaps) {
      const CollectionBitmap& b = *c.collection.bitmaps[i];
      std::printf("added bitmap '%s' (%d x %d, %s)\n", b.name.c_str(), b.width, b.height,
                  b.IsRle() ? "RLE" : "RAW");
    }
  }
  return Finish(c, r);
}

// ---- collection-crop

int CollectionCrop(const Args& in) {
  Args args = in;
  const bool all = TakeFlag(args, "--all");
  if (args.size() < 2 || (all == (args.size() > 2)))
    return Fail("expected GAMEDIR TAGID --all|NAME...");
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], true, &c)) return status;
  std::vector<size_t> listed;
  if (all) {
    listed = ListedBitmaps(c.collection);
  } else if (!BitmapsNamed(c.collection, Args(args.begin() + 2, args.end()), &listed)) {
    return kFail;
  }
  return Finish(c, CropBitmaps(&c.collection, listed, all ? RowScope::kAll : RowScope::kSelected));
}

// ---- collection-uncrop

int CollectionUncrop(const Args& args) {
  if (args.size() < 3) return Fail("expected GAMEDIR TAGID SIZE [NAME...]");
  int size = 0;
  if (!ParseCount(args[2], &size)) return Fail("%s", kUncropInvalidSize);
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], true, &c)) return status;
  std::vector<size_t> listed;
  if (args.size() == 3) {
    listed = ListedBitmaps(c.collection);
  } else if (!BitmapsNamed(c.collection, Args(args.begin() + 3, args.end()), &listed)) {
    return kFail;
  }
  const OperationResult r = UncropBitmaps(&c.collection, listed, size);
  for (size_t i : r.bitmaps)
    std::printf("uncropped '%s' to %d x %d\n", c.collection.bitmaps[i]->name.c_str(), size, size);
  return Finish(c, r);
}

// ---- collection-optimize

int CollectionOptimize(const Args& in) {
  Args args = in;
  const bool delete_unused = TakeFlag(args, "--delete-unused");
  const bool merge = TakeFlag(args, "--merge-identical");
  const bool crop = TakeFlag(args, "--crop-all");
  const bool rename = TakeFlag(args, "--auto-rename");
  const bool size = TakeFlag(args, "--runtime-size");
  if (args.size() != 2 || !(delete_unused || merge || crop || rename || size))
    return Fail(
        "expected GAMEDIR TAGID [--delete-unused] [--merge-identical] [--crop-all] "
        "[--auto-rename] [--runtime-size]");
  const bool changes = delete_unused || merge || crop || rename;
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], changes, &c)) return status;
  // The Optimize tab's order; each prints the report the tab shows.
  bool changed = false;
  auto run = [&](bool wanted, OperationResult (*operation)(Collection*)) {
    if (!wanted) return;
    const OperationResult r = operation(&c.collection);
    PrintMessages(r);
    changed = changed || r.changed;
  };
  run(delete_unused, DeleteUnusedBitmaps);
  run(merge, MergeIdenticalBitmaps);
  run(crop, CropAllBitmaps);
  run(rename, AutoRenameBitmaps);
  if (size) PrintMessages(RuntimeSize(c.collection));
  // The runtime size alone changes nothing and writes nothing.
  if (!changes) return kOk;
  if (!changed) {
    std::printf("nothing changed; nothing written\n");
    return kOk;
  }
  return SaveCliCollection(c);
}

// ---- collection-palette

int CollectionPaletteCommand(const Args& in) {
  Args args = in;
  std::string export_path, import_path;
  const bool exporting = TakeOption(args, "--export", &export_path);
  const bool importing = TakeOption(args, "--import", &import_path);
  if (args.size() != 2 || exporting == importing)
    return Fail("expected GAMEDIR TAGID --export FILE.act | --import FILE.act");
  CliCollection c;
  if (int status = LoadCliCollection(args[0], args[1], importing, &c)) return status;
  if (exporting) {
    const OperationResult r = ExportPalette(c.collection, export_path);
    PrintMessages(r);
    if (!r) return kFail;
    std::printf("%s\n", export_path.c_str());
    return kOk;
  }
  const OperationResult r = ImportPalette(&c.collection, import_path);
  if (r && !r.changed) std::printf("the color table is the same; nothing written\n");
  return Finish(c, r);
}

}  // namespace

std::vector<Command> CollectionCommands() {
  return {
      {"collection-import", "GAMEDIR TAGID FILE... [--shadows] [--replace-palette] [--convert]",
       CollectionImport},
      {"collection-replace", "GAMEDIR TAGID NAME FILE [--replace-palette]", CollectionReplace},
      {"collection-export", "GAMEDIR TAGID OUTDIR [--alpha] [--by-name]", CollectionExport},
      {"collection-plate-export", "GAMEDIR TAGID OUT [--alpha] [--columns N]",
       CollectionPlateExport},
      {"collection-plate-import", "GAMEDIR TAGID PLATE", CollectionPlateImport},
      {"collection-crop", "GAMEDIR TAGID --all|NAME...", CollectionCrop},
      {"collection-uncrop", "GAMEDIR TAGID SIZE [NAME...]", CollectionUncrop},
      {"collection-optimize",
       "GAMEDIR TAGID [--delete-unused] [--merge-identical] [--crop-all] [--auto-rename] "
       "[--runtime-size]",
       CollectionOptimize},
      {"collection-palette", "GAMEDIR TAGID --export FILE.act | --import FILE.act",
       CollectionPaletteCommand},
  };
}

// The same definitions as the windowed program reads for the loaded game folder.
void LoadStructDefinitions() {
  LoadDefinitionsForGame(TheStructRegistry(), TheCodex().GameFolder());
}

// Called when "show" first needs the describers, after the game folder has been loaded: the
// structure describers cover the groups that the definitions bind and no dedicated editor owns.
std::vector<TagDescriber> CollectionDescribers() {
  std::vector<TagDescriber> list = {{kCollectionGroup, DescribeCollection}};
  LoadStructDefinitions();
  static constexpr auto rows = StructRowDescribers(std::make_index_sequence<kTagGroupCount>());
  for (size_t row = 0; row < rows.size(); ++row) {
    const TagGroup& g = TagGroupTable()[row];
    if (*g.dedicated_editor || !TheStructRegistry().DefinitionForGroup(g.code)) continue;
    list.push_back({g.code, rows[row]});
  }
  return list;
}

}  // namespace brae::cli
