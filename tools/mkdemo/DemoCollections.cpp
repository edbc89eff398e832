// Demo collections ('.256'): every bitmap kind (RAW and RLE, one and two bytes per pixel,
// alpha from brightness, high colour), shadows, hue changes, plain and mirrored sequences,
// a colour map and an empty collection. The tags are built as collection objects and stored
// in the form that a load and save keeps unchanged.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "collection/CollectionFormat.h"
#include "mkdemo/DemoGame.h"

namespace brae::demo {

namespace {

// ---- Palette and pixels

CollectionPalette DemoPalette() {
  CollectionPalette p{};
  // 0 black; 1 white; 2..241 a hue wheel at six brightness levels; the rest greys.
  p[1] = PaletteColor{255, 255, 255};
  for (int i = 2; i < 242; ++i) {
    const int hue = (i - 2) % 40, level = (i - 2) / 40;
    const double h = hue / 40.0 * 6.0;
    const int sector = int(h);
    const double f = h - sector;
    const double v = 0.45 + 0.11 * level;
    double rgb[3];
    const double q = v * (1 - f), t = v * f;
    switch (sector) {
      case 0:
        rgb[0] = v, rgb[1] = t, rgb[2] = 0;
        break;
      case 1:
        rgb[0] = q, rgb[1] = v, rgb[2] = 0;
        break;
      case 2:
        rgb[0] = 0, rgb[1] = v, rgb[2] = t;
        break;
      case 3:
        rgb[0] = 0, rgb[1] = q, rgb[2] = v;
        break;
      case 4:
        rgb[0] = t, rgb[1] = 0, rgb[2] = v;
        break;
      default:
        rgb[0] = v, rgb[1] = 0, rgb[2] = q;
        break;
    }
    p[size_t(i)] =
        PaletteColor{uint8_t(rgb[0] * 255), uint8_t(rgb[1] * 255), uint8_t(rgb[2] * 255)};
  }
  for (int i = 242; i < 256; ++i)
    p[size_t(i)] = PaletteColor{uint8_t(i - 200), uint8_t(i - 200), uint8_t(i - 200)};
  return p;
}

// A filled disc with a rim, indices from the hue wheel; alpha_edge gives soft edges.
std::unique_ptr<CollectionBitmap> Disc(const std::string& name, int w, int h, int hue,
                                       uint16_t flags, bool soft_edge) {
  auto b = CollectionBitmap::MakeIndexed(name, w, h, flags);
  const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0, r = std::min(w, h) / 2.0 - 0.5;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double d = std::hypot(x - cx, y - cy);
      if (d > r) continue;
      uint8_t* px = b->Pixel(x, y);
      const int level = std::min(5, int(d / r * 6));
      px[1] = uint8_t(2 + hue % 40 + 40 * (5 - level));
      px[0] = 255;
      // Two-byte bitmaps keep the alpha that their nibble can hold.
      if (soft_edge && d > r - 2) px[0] = uint8_t((15 - 9) * 17);
    }
  }
  return b;
}

// A bar pattern that fills the whole bitmap (RAW).
std::unique_ptr<CollectionBitmap> Tile(const std::string& name, int w, int h) {
  auto b = CollectionBitmap::MakeIndexed(name, w, h, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* px = b->Pixel(x, y);
      px[1] = uint8_t(2 + ((x / 4 + y / 4) % 40) + 40 * ((y / 8) % 6));
      px[0] = 255;
    }
  }
  return b;
}

// A shadow: grey values, transparent around an ellipse.
std::unique_ptr<CollectionBitmap> Shadow(const std::string& name, int w, int h) {
  auto b = CollectionBitmap::MakeIndexed(name, w, h, kBitmapShadow);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0);
      if (dx * dx + dy * dy > 1) continue;
      uint8_t* px = b->Pixel(x, y);
      px[1] = uint8_t(60 + 100 * (dx * dx + dy * dy));
      px[0] = 255;
    }
  }
  return b;
}

// A high-colour flare: plain colours, a hue-change layer and a blended second layer.
std::unique_ptr<CollectionBitmap> Flare(const std::string& name, int w, int h) {
  auto b = std::make_unique<CollectionBitmap>();
  b->name = name;
  b->width = w;
  b->height = h;
  b->bytes_per_pixel = 8;
  b->flags = kBitmapEncodingValid;
  b->pixels.assign(size_t(w) * h * 8, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* px = b->Pixel(x, y);
      const int d = std::abs(x - w / 2) + std::abs(y - h / 2);
      if (d > w / 2) continue;  // transparent, tag 0
      const int alpha5 = d < w / 4 ? 31 : 31 - (d - w / 4);
      const bool hue_layer = (x + y) % 7 == 0;
      px[3] = uint8_t((hue_layer ? 1 << 5 : 0) | std::max(1, alpha5));
      px[2] = uint8_t(255 - d * 4);
      px[1] = uint8_t(128 + x);
      px[0] = uint8_t((y * 8) & 0xFE);
      if (x % 5 == 0) {
        px[0] |= 1;  // a second layer, blended
        px[4] = uint8_t(x * 9), px[5] = uint8_t(y * 9), px[6] = 200;
        px[7] = uint8_t((x % 2 ? 1 << 5 : 0) | (d % 32));
      }
    }
  }
  return b;
}

HueChange Hue(const std::string& name, uint16_t start, uint16_t end, uint16_t median, int use_as,
              uint8_t mode, PaletteColor replacement) {
  HueChange h = MakeNewHueChange();
  SetFixedName(h.name, sizeof h.name, name);
  h.start_hue = start;
  h.end_hue = end;
  h.median_hue = median;
  h.min_saturation = 0x2000;
  h.use_as = uint16_t(use_as);
  h.replacement_mode = mode;
  h.replacement[0] = uint16_t(replacement.r << 8);
  h.replacement[1] = uint16_t(replacement.g << 8);
  h.replacement[2] = uint16_t(replacement.b << 8);
  for (int i = 0; i < 7; ++i) h.carried[i] = uint8_t(0xC0 + i);
  return h;
}

// ---- Sequences

CollectionInstance Place(CollectionBitmap* bitmap, int reg_x, int reg_y) {
  CollectionInstance in;
  in.bitmap = bitmap;
  in.reg_x = int16_t(reg_x);
  in.reg_y = int16_t(reg_y);
  in.key_x = int16_t(reg_x / 2);
  in.key_y = int16_t(reg_y / 3);
  in.alt_bitmap_index = 0;
  return in;
}

std::unique_ptr<CollectionSequence> Walk(Collection& c, const std::vector<CollectionBitmap*>& poses,
                                         CollectionBitmap* shadow) {
  auto s = std::make_unique<CollectionSequence>();
  s->name = "Walk";
  s->header.flags = kSequenceMirrored;
  s->header.ticks_per_frame = 3;
  s->header.key_frame = 1;
  s->header.first_sound = Code("step");
  s->header.transfer_mode = kTransferFadeIn;
  s->header.transfer_period = 12;
  s->header.carried_b[0] = 0x1111;
  s->header.carried_d[2] = 0x2222;
  s->Resize(4, 8);
  for (int f = 0; f < 4; ++f) {
    CollectionFrame& frame = s->frames[size_t(f)];
    frame.carried[1] = uint16_t(0x100 + f);
    for (int v = 0; v < 5; ++v) {
      CollectionBitmap* b = poses[size_t((f + v) % poses.size())];
      frame.views[size_t(v)] = Place(b, b->width / 2 + v, b->height - 2);
    }
    frame.shadow.bitmap = shadow;
    frame.shadow.offset_x = 13107 * (f - 2);
    frame.shadow.offset_y = -13107 * 3;
    frame.shadow.flags = f % 2 ? kShadowMirrorX : kShadowLight;
  }
  // The alternate placement of one cell.
  CollectionInstance& alt = *s->frames[0].views[2];
  alt.flags |= kInstanceAlternateValid;
  alt.alt_bitmap = poses[0];
  alt.alt_display = 0x01020304;
  alt.alt_reg_x = 7;
  alt.alt_reg_y = -3;
  (void)c;
  s->RebuildMirroredViews();
  return s;
}

std::unique_ptr<CollectionSequence> Still(const std::string& name, CollectionBitmap* b) {
  auto s = std::make_unique<CollectionSequence>();
  s->name = name;
  s->header.flags = kSequenceNoRotation;
  s->header.loop_frame = 0;
  s->header.key_sound = Code("ding");
  s->header.transfer_mode = kTransferCycle;
  s->frames[0].views[0] = Place(b, b->width / 2, b->height / 2);
  s->frames[0].views[0]->flags = kInstanceMirrorY;
  return s;
}

// ---- Collections

std::unique_ptr<Collection> Sprites() {
  auto c = std::make_unique<Collection>();
  c->name = "Demo Sprites";
  c->carried = 0xCAFEF00D;
  c->flags = kCollectionForMonsters | kCollectionForScenery;
  c->palette = DemoPalette();
  c->hue_changes.push_back(Hue("Team Red", 0xF000, 0x1000, 0x0000, 1, 1, {200, 40, 40}));
  c->hue_changes.push_back(Hue("Team Blue", 0x8000, 0xB000, 0x9800, 2, 3, {30, 60, 220}));
  CollectionBitmap* raw8 = c->AddBitmap(Disc("Body RAW 8", 32, 32, 3, 0, false));
  CollectionBitmap* rle8 = c->AddBitmap(Disc("Body RLE 8", 27, 41, 11, kBitmapRle, false));
  CollectionBitmap* raw16 = c->AddBitmap(Disc("Body RAW 16", 16, 16, 19, kBitmapTwoBytes, true));
  CollectionBitmap* rle16 = c->AddBitmap(
      Disc("Body RLE 16", 33, 29, 27, kBitmapRle | kBitmapTwoBytes | kBitmapCarried, true));
  CollectionBitmap* tile = c->AddBitmap(Tile("Ground Tile", 64, 32));
  CollectionBitmap* shadow = c->AddBitmap(Shadow("Body Shadow", 12, 7));
  c->AddBitmap(Disc("Unused Odd", 5, 3, 35, kBitmapRle, false));
  c->AddSequence(Walk(*c, {raw8, rle8, raw16, rle16}, shadow));
  c->AddSequence(Still("Ground", tile));
  auto empty = std::make_unique<CollectionSequence>();
  empty->name = "No Frames";
  empty->Resize(0, 3);
  c->AddSequence(std::move(empty));
  return c;
}

std::unique_ptr<Collection> Glows() {
  auto c = std::make_unique<Collection>();
  c->name = "Glow Effects";
  c->flags = kCollectionForProjectiles | kCollectionForAtmospherics;
  c->palette = DemoPalette();
  c->hue_changes.push_back(Hue("Fire", 0x0000, 0x2000, 0x1000, 1, 1, {250, 120, 0}));
  CollectionBitmap* flare = c->AddBitmap(Flare("Flare", 40, 40));
  // Alpha from brightness: the palette gives every pixel its alpha.
  auto glow = Disc("Glow RAW", 24, 24, 5, kBitmapAlphaFromBrightness, false);
  auto glow_rle = Disc("Glow RLE", 20, 12, 9, kBitmapAlphaFromBrightness | kBitmapRle, false);
  for (auto* b : {glow.get(), glow_rle.get()}) {
    for (int i = 0; i < b->width * b->height; ++i) {
      uint8_t* px = &b->pixels[size_t(i) * 2];
      const PaletteColor& col = c->palette[px[1]];
      px[0] = std::max(col.r, std::max(col.g, col.b));
    }
  }
  CollectionBitmap* g1 = c->AddBitmap(std::move(glow));
  c->AddBitmap(std::move(glow_rle));
  c->AddSequence(Still("Flare", flare));
  c->AddSequence(Still("Glow", g1));
  return c;
}

// The terrain demo's colour map ('.256' 'cmap', a mesh of 3 × 2 chunks): two 256 × 256 bitmaps
// per chunk, the low bytes (colour indices) and then the high bytes (shades).
std::unique_ptr<Collection> ColourMap() {
  auto c = std::make_unique<Collection>();
  c->name = "Demo Valley Colors";
  c->flags = kCollectionForTextures | kCollectionColorMap;
  c->palette = DemoPalette();
  for (int chunk = 0; chunk < 6; ++chunk) {
    const int cx = chunk % 3, cy = chunk / 3;
    auto low =
        CollectionBitmap::MakeIndexed("Chunk " + std::to_string(chunk) + " colors", 256, 256);
    auto high =
        CollectionBitmap::MakeIndexed("Chunk " + std::to_string(chunk) + " shades", 256, 256);
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        const int gx = cx * 256 + x, gy = cy * 256 + y;
        const int index = 2 + (gx / 48 + gy / 64) % 40 + 40 * ((gx + 2 * gy) / 160 % 6);
        const int shade = 128 + int(90 * std::sin(gx / 40.0) * std::cos(gy / 56.0));
        low->Pixel(x, y)[0] = 255, low->Pixel(x, y)[1] = uint8_t(index);
        high->Pixel(x, y)[0] = shade ? 255 : 0, high->Pixel(x, y)[1] = uint8_t(shade);
      }
    }
    c->AddBitmap(std::move(low));
    c->AddBitmap(std::move(high));
  }
  return c;
}

std::unique_ptr<Collection> Empty() {
  auto c = std::make_unique<Collection>();
  c->name = "Empty Collection";
  c->palette = DemoPalette();
  return c;
}

std::vector<uint8_t> CanonicalCollectionData(const Collection& collection, uint32_t* flags) {
  // One save, load and save: the data is then in the form that every later load and save keeps.
  std::vector<uint8_t> first, second;
  if (!SaveCollection(collection, &first)) return {};
  TagHeader header;
  header.SetName(collection.name);
  header.user_data = collection.flags;
  Collection reloaded;
  if (!LoadCollection(first.data(), first.size(), header, CollectionLoadOptions(), &reloaded))
    return {};
  if (!SaveCollection(reloaded, &second)) return {};
  *flags = reloaded.flags;
  return second;
}

}  // namespace

std::vector<DemoTag> DemoCollectionTags() {
  struct Entry {
    std::unique_ptr<Collection> collection;
    const char* id;
  };
  Entry entries[] = {
      {Sprites(), "dspr"}, {Glows(), "glow"}, {ColourMap(), "cmap"}, {Empty(), "empt"}};
  std::vector<DemoTag> tags;
  for (Entry& e : entries) {
    DemoTag tag;
    tag.group = Code(".256");
    tag.subgroup = MakeFourCC(e.id[0], e.id[1], e.id[2], e.id[3]);
    tag.name = e.collection->name;
    tag.version = kCollectionVersion;
    tag.data = CanonicalCollectionData(*e.collection, &tag.user_data);
    tags.push_back(tag);
  }
  return tags;
}

void AddCollectionsDemo(DemoGame& game) {
  // A patch archive (kind 2), so that its tags are in the default working set.
  DemoArchive& archive = game.Archive("tags", "collections", 2);
  archive.name = "Collections";
  archive.description = "Sprite collections";
  std::vector<DemoTag> tags = DemoCollectionTags();
  // The sprites also lie in the local folder, as a user's edited copy.
  game.AddLocal(tags[0]);
  for (DemoTag& t : tags) archive.tags.push_back(t);
}

}  // namespace brae::demo

// ---- Structure-defined groups

namespace brae::demo {

namespace {

const char kDefinitions[] = R"(<?xml version="1.0"?>
<braexmlfile>
  <struct name="artifact_effect">
    <short_enum name="kind">
      <member text="None" value="0"/>
      <member text="Heal" value="1"/>
      <member text="Burn" value="2"/>
    </short_enum>
    <short name="strength"/>
    <long_time name="duration"/>
  </struct>
  <struct name="arti">
    <long name="flags"/>
    <tag name="collection" group=".256"/>
    <sequence_index name="idle_sequence"/>
    <sequence_index name="use_sequence"/>
    <short_world name="pickup_radius"/>
    <angle name="facing"/>
    <fixed name="mass"/>
    <short name="effect_count"/>
    <substruct name="effects" struct="artifact_effect" count="4" runtime_count="effect_count"/>
    <byte name="min_level"/>
    <byte name="max_level" lower_bound="min_level"/>
    <byte_enum name="rarity">
      <member text="Common" value="0"/>
      <member text="Rare" value="1"/>
      <member text="Unique" value="2"/>
    </byte_enum>
    <short_fixed_fraction name="drop_chance"/>
    <padding count="3"/>
    <color name="glow"/>
  </struct>
  <struct name="ligh">
    <long_time name="interval"/>
    <short_world name="height"/>
    <fixed_fraction name="intensity"/>
    <angular_velocity name="spin"/>
    <short_fixed name="scale"/>
    <color name="tint"/>
    <tag name="thunder" group="soun"/>
  </struct>
  <struct name="wind">
    <short_enum name="direction">
      <member text="North" value="0"/>
      <member text="East" value="1"/>
      <member text="South" value="2"/>
      <member text="West" value="3"/>
    </short_enum>
    <short_world name="speed"/>
    <fixed name="gustiness"/>
  </struct>

  <struct name="attack">
    <sequence_index name="sequence"/>
    <short name="damage"/>
    <tag name="sound" group="soun"/>
  </struct>
  <struct name="loot">
    <tag name="item" group="arti"/>
    <byte name="chance"/>
    <padding count="1"/>
  </struct>
  <struct name="mons">
    <long name="hit_points"/>
    <byte name="flags"/>
    <byte_enum name="size">
      <member text="Small" value="0"/>
      <member text="Medium" value="1"/>
      <member text="Large" value="2"/>
    </byte_enum>
    <short name="attack_count"/>
    <tag name="collection" group=".256"/>
    <sequence_index name="idle"/>
    <sequence_index name="death"/>
    <tag name="portrait" group="core"/>
    <sequence_index name="portrait_sequence"/>
    <substruct name="attacks" struct="attack" count="8" runtime_count="attack_count"/>
    <substruct name="loot" struct="loot" count="2"/>
    <substruct name="drop" struct="loot"/>
    <short_world name="speed"/>
  </struct>

  <structedit struct="mons" text="Monster">
    <frame text="Body" layout="table">
      <row><label text="Hit points:"/><item target="hit_points"/></row>
      <row><label text="Size:"/><item target="size"/></row>
      <row><label text="Speed:"/><item target="speed"/></row>
    </frame>
    <frame text="Flags" layout="horizontal">
      <item target="flags" bit="0" text="Flies"/>
      <item target="flags" bit="3" text="Undead"/>
    </frame>
    <frame text="Looks" layout="table" stretch="true">
      <row><label text="Collection:"/><item target="collection"/></row>
      <row><label text="Idle:"/><item target="idle" tag="collection"/></row>
      <row><label text="Death:"/><item target="death" tag="collection"/></row>
      <row><label text="Portrait:"/><item target="portrait"/></row>
      <row><label text="Portrait sequence:"/><item target="portrait_sequence" tag="portrait"/></row>
    </frame>
    <item target="attacks" text="Attacks" text_target="sequence"/>
    <item target="loot" text="Loot" text_target="item"/>
    <frame layout="horizontal">
      <item target="drop" text="Drop..."/>
      <structedit caption="Movement...">
        <item target="speed" text="Speed:"/>
      </structedit>
    </frame>
  </structedit>
  <structedit struct="attack" text="Attack">
    <item target="sequence" text="Sequence:" tag="collection"/>
    <item target="damage" text="Damage:"/>
    <item target="sound" text="Sound:"/>
  </structedit>
  <structedit struct="loot" text="Loot">
    <item target="item" text="Item:"/>
    <item target="chance" text="Chance:"/>
  </structedit>
  <structedit struct="artifact_effect" text="Effect">
    <item target="kind" text="Kind:"/>
    <item target="strength" text="Strength:"/>
    <item target="duration" text="Duration (s):"/>
  </structedit>
  <structedit struct="arti" text="Artifact" alignchildren="true">
    <frame text="Looks" layout="table" stretch="true">
      <row><label text="Collection:"/><item target="collection"/></row>
      <row><label text="Idle:"/><item target="idle_sequence" tag="collection"/></row>
      <row><label text="Use:"/><item target="use_sequence" tag="collection"/></row>
    </frame>
    <frame text="Flags" layout="horizontal">
      <item target="flags" bit="0" text="Glows"/>
      <item target="flags" bit="1" text="Cursed"/>
      <item target="flags" bit="3" text="Stackable"/>
    </frame>
    <item target="pickup_radius" text="Pickup radius:"/>
    <item target="facing" text="Facing:"/>
    <item target="mass" text="Mass:"/>
    <item target="effects" text="Effects" text_target="kind"/>
    <frame text="Levels" layout="horizontal">
      <item target="min_level" text="Min:"/>
      <item target="max_level" text="Max:"/>
    </frame>
    <item target="rarity" text="Rarity:"/>
    <item target="drop_chance" text="Drop chance:"/>
  </structedit>
  <structedit struct="ligh" text="Lightning">
    <item target="interval" text="Interval (s):"/>
    <item target="height" text="Height:"/>
    <item target="intensity" text="Intensity:"/>
    <item target="spin" text="Spin:"/>
    <item target="scale" text="Scale:"/>
    <item target="thunder" text="Thunder:"/>
  </structedit>
  <structedit struct="wind" text="Wind" layout="horizontal" align="right">
    <item target="direction" text="Direction:"/>
    <item target="speed" text="Speed:"/>
    <item target="gustiness" text="Gustiness:"/>
  </structedit>
</braexmlfile>
)";

struct BigEndian {
  std::vector<uint8_t> b;
  BigEndian& I8(int v) { return b.push_back(uint8_t(v)), *this; }
  BigEndian& I16(int v) { return I8(v >> 8).I8(v); }
  BigEndian& I32(int64_t v) { return I16(int(v >> 16)).I16(int(v)); }
  BigEndian& Id(const char (&s)[5]) { return I32(Code(s)); }
};

DemoTag StructTag(const char (&group)[5], const char (&id)[5], const std::string& name,
                  BigEndian data) {
  DemoTag t;
  t.group = Code(group);
  t.subgroup = Code(id);
  t.name = name;
  t.data = data.b;
  return t;
}

}  // namespace

std::string DemoDefinitionText() {
  return kDefinitions;
}

std::vector<DemoTag> DemoStructTags() {
  BigEndian amber;
  amber.I32(0x9).Id("dspr").I16(0).I16(1).I16(768).I16(16384).I32(0x18000).I16(2);
  amber.I16(1).I16(25).I32(90);   // heal 25 for 3 s
  amber.I16(2).I16(-4).I32(300);  // burn
  for (int i = 0; i < 2; ++i) amber.I16(0).I16(0).I32(0);
  amber.I8(3).I8(5).I8(1).I8(64).I8(0).I8(0).I8(0);
  amber.I16(0xFF00).I16(0xC000).I16(0x2000).I16(0);
  BigEndian bolt;
  bolt.I32(450).I16(4096).I16(0xC000).I16(-91).I16(384);
  bolt.I16(0xE000).I16(0xE000).I16(0xFF00).I16(0).Id("thun");
  BigEndian breeze;
  breeze.I16(3).I16(1536).I32(0x4000);
  BigEndian gale;
  gale.I16(1).I16(6000).I32(0x30000);
  BigEndian ogre;
  ogre.I32(120).I8(0).I8(1).I16(3).Id("dspr").I16(0).I16(1).Id("pcor").I16(1);
  ogre.I16(0).I16(10).Id("thun");
  ogre.I16(1).I16(20).I32(-1);
  ogre.I16(2).I16(30).I32(-1);
  for (int i = 0; i < 5; ++i) ogre.I16(0).I16(0).I32(0);
  ogre.Id("ambr").I8(50).I8(0);
  ogre.I32(-1).I8(0).I8(0);
  ogre.Id("ambr").I8(100).I8(0);
  ogre.I16(1024);
  return {
      StructTag("arti", "ambr", "Amber Charm", amber), StructTag("mons", "ogre", "Hill Ogre", ogre),

      StructTag("ligh", "bolt", "Storm Bolt", bolt),
      StructTag("wind", "brez", "Evening Breeze", breeze), StructTag("wind", "gale", "Gale", gale)};
}

void AddStructsDemo(DemoGame& game) {
  const std::string text = DemoDefinitionText();
  game.AddFile("definitions/demo structures.xml", std::vector<uint8_t>(text.begin(), text.end()));
  DemoArchive& archive = game.Archive("tags", "collections", 2);
  std::vector<DemoTag> tags = DemoStructTags();
  for (DemoTag& t : tags) archive.tags.push_back(t);
  BigEndian portrait;  // a 'core' tag naming the collection of the ogre's portrait
  portrait.Id("glow").I32(0);
  archive.tags.push_back(StructTag("core", "pcor", "Ogre Portrait", portrait));
  // One of them also edited in the local folder.
  DemoTag local = tags.back();
  local.data[1] = 2;  // the local copy blows from the south
  game.AddLocal(local);
}

}  // namespace brae::demo

namespace brae::demo {

DemoTag EditedSpritesTag() {
  DemoTag tag = DemoCollectionTags()[0];
  TagHeader header;
  header.SetName(tag.name);
  header.user_data = tag.user_data;
  Collection c;
  if (!LoadCollection(tag.data.data(), tag.data.size(), header, CollectionLoadOptions(), &c))
    return tag;
  c.palette[1] = PaletteColor{250, 250, 250};
  c.palette[2] = PaletteColor{1, 2, 3};
  CollectionBitmap& first = *c.bitmaps[0];
  for (int dx = 0; dx < 3; ++dx) first.Pixel(first.width / 2 + dx, first.height / 2)[1] ^= 1;
  c.bitmaps.back()->name += " v2";
  c.sequences[0]->header.ticks_per_frame = uint16_t(c.sequences[0]->header.ticks_per_frame + 1);
  tag.data = CanonicalCollectionData(c, &tag.user_data);
  return tag;
}

}  // namespace brae::demo
