// brae-cli over collections and structure-defined tags: the "show" describers of '.256' and
// of every group that a structure definition binds, and "collection-export".
#include <unistd.h>

#include <array>
#include <cstdio>
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

#include "media/PngFormat.h"

namespace brae::cli {

namespace {

// ---- Collections

std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

std::string SoundName(uint32_t id) {
  return id == kNoSubgroup ? "none" : FourCCToString(id);
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
    out->Add(key, stored == -1 ? std::string("none") : FourCCToString(uint32_t(stored)));
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

// The folder of the running program.
std::string ProgramFolder() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string p(path, size_t(n));
  return p.substr(0, p.find_last_of('/') + 1);
}

}  // namespace

// ---- collection-export

namespace {

// "0007 Body RLE 8.png": the bitmap's position, then its name made safe as a file name.
std::string ExportFileName(size_t index, const std::string& name) {
  char number[32];
  std::snprintf(number, sizeof number, "%04zu ", index);
  std::string safe;
  for (char c : name) safe += (std::strchr("\\/|\"<>*?:", c) || uint8_t(c) < 32) ? '_' : c;
  return number + safe + ".png";
}

// Indexed bitmaps become 8-bit palette images with the collection palette (shadows: the grey
// ramp); transparent pixels are index 0 in RLE bitmaps and 1 in RAW ones. High-colour
// bitmaps become RGBA images.
Image ExportImage(const Collection& c, const CollectionBitmap& b) {
  Image image;
  image.width = b.width;
  image.height = b.height;
  const size_t count = size_t(b.width) * size_t(b.height);
  if (b.IsHighColour()) {
    image.format = PixelFormat::kRgba;
    image.pixels.resize(count * 4);
    for (size_t i = 0; i < count; ++i)
      HighColourPixelRgba(c, &b.pixels[i * 8], &image.pixels[i * 4]);
    return image;
  }
  image.format = PixelFormat::kIndexed;
  image.palette.count = 256;
  for (int i = 0; i < 256; ++i) {
    const PaletteColor& p = c.palette[size_t(i)];
    image.palette.entries[i] =
        b.IsShadow() ? Rgb{uint8_t(i), uint8_t(i), uint8_t(i)} : Rgb{p.r, p.g, p.b};
  }
  const uint8_t clear = b.IsRle() ? 0 : 1;
  image.pixels.resize(count);
  for (size_t i = 0; i < count; ++i)
    image.pixels[i] = b.pixels[i * 2] ? b.pixels[i * 2 + 1] : clear;
  return image;
}

int CollectionExport(const Args& args) {
  if (args.size() != 3) return Fail("expected GAMEDIR TAGID OUTDIR");
  uint32_t id = 0;
  if (!ParseCode(args[1], &id)) return Fail("bad tagid '%s'", args[1].c_str());
  if (!FolderExists(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  Codex& codex = TheCodex();
  codex.LoadCodex(args[0]);
  TagRecord* record = codex.FindTag(kCollectionGroup, id);
  if (!record || !codex.HasEffectiveInstance(record)) {
    return Fail("no collection '%s' in '%s'", FourCCToString(id).c_str(), args[0].c_str());
  }
  TagHeader header;
  FileStream* in = codex.BeginTagRead(record, &header);
  if (!in) return Fail("cannot read the collection '%s'", FourCCToString(id).c_str());
  Collection c;
  const CollectionResult loaded = ReadCollection(*in, header, CollectionLoadOptions(), &c);
  codex.EndTagRead(record);
  if (!loaded) {
    return Fail("cannot read the collection '%s': %s", FourCCToString(id).c_str(),
                loaded.message.c_str());
  }
  const std::string folder = NormalizedFolderPath(args[2]);
  if (!MakeFolder(folder)) return Fail("cannot create the folder '%s'", args[2].c_str());
  for (size_t i = 0; i < c.bitmaps.size(); ++i) {
    const std::string path = folder + ExportFileName(i, c.bitmaps[i]->name);
    std::string error;
    if (!WritePng(path, ExportImage(c, *c.bitmaps[i]), &error)) {
      return Fail("cannot write '%s': %s", path.c_str(), error.c_str());
    }
    std::printf("%s\n", path.c_str());
  }
  return kOk;
}

}  // namespace

std::vector<Command> CollectionCommands() {
  return {{"collection-export", "GAMEDIR TAGID OUTDIR", CollectionExport}};
}

// Definitions come from the program's own res folder and from the game folder's
// "definitions" folder (the demo game ships its definitions there).
void LoadStructDefinitions() {
  StructRegistry& registry = TheStructRegistry();
  registry.Clear();
  registry.LoadDefinitionFiles(ProgramFolder() + "res");
  if (!TheCodex().GameFolder().empty())
    registry.LoadDefinitionFiles(TheCodex().GameFolder() + "definitions");
  registry.BuildRegistry();
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
