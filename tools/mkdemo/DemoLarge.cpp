// A large installation for benchmarks and manual checks: many add-ons of generated tags spread
// over every group.
#include "mkdemo/DemoGame.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/TagGroups.h"
#include "terrain/DetailMap.h"

namespace brae::demo {

namespace {

std::vector<uint8_t> Ids(size_t size, std::initializer_list<std::pair<size_t, uint32_t>> ids) {
  std::vector<uint8_t> data(size, 0);
  for (auto [offset, id] : ids) StoreBE32(data.data() + offset, id);
  return data;
}

// Data naming neighbouring ids (some exist, some do not), by group; empty for other groups.
std::vector<uint8_t> ReferenceData(uint32_t group, uint32_t id, uint16_t* version) {
  if (group == Code(".256")) {
    // Header, one sequence record at 320 and its block 128 bytes later, with three sounds.
    std::vector<uint8_t> data = Ids(320 + 128 + 64, {{128, 1},
                                                     {132, 0},
                                                     {248, 320},
                                                     {320 + 64, 128},
                                                     {320 + 68, 64},
                                                     {448 + 24, id + 1},
                                                     {448 + 28, id + 2},
                                                     {448 + 32, 0xFFFFFFFFu}});
    return data;
  }
  if (group == Code("mesh")) return Ids(1024, {{0, id + 1}, {4, id + 3}});
  if (group == Code("geom")) return Ids(128, {{4, id + 1}});
  if (group == Code("core")) return Ids(384, {{0, id + 2}});
  if (group == Code("mode")) return Ids(64, {{4, id + 1}});
  if (group == Code("dmap")) {
    DetailMap map = CreateBlankDetailMap(4, 4);
    for (int m = 1; m <= 3; ++m) map.materials[m].entry.texture = id + uint32_t(m);
    for (size_t v = 0; v < map.vertex_details.size(); ++v) map.vertex_details[v] = uint8_t(v % 4);
    *version = 2;
    return SerializeDetailMap(map);
  }
  for (uint32_t g : LargeStructGroups())
    if (g == group) return Ids(16, {{0, id + 1}, {4, id + 2}, {8, id + 5}, {12, 0xFFFFFFFFu}});
  return {};
}

}  // namespace

std::vector<uint32_t> LargeStructGroups() {
  return {Code("mons"), Code("unit"), Code("obje"), Code("proj"), Code("arti"), Code("scen")};
}

std::string LargeReferenceDefinitions() {
  std::string text = "<braexmlfile>\n";
  for (uint32_t g : LargeStructGroups()) {
    const char code[5] = {char(g >> 24), char(g >> 16), char(g >> 8), char(g), 0};
    text += std::string("  <struct name=\"") + code +
            "\"><tag name=\"first\"/><tag name=\"sound\" group=\"soun\"/>"
            "<tag name=\"others\" group=\"mons\" count=\"2\"/></struct>\n";
  }
  return text + "</braexmlfile>\n";
}

DemoGame MakeLargeGame(const LargeGameShape& shape) {
  DemoGame game;
  const TagGroup* groups = TagGroupTable();
  for (int a = 0; a < shape.archives; ++a) {
    const bool base = shape.shadowing && a < 4;
    DemoArchive& archive = game.Archive(base ? "tags" : "plugins", "archive" + std::to_string(a),
                                        base ? 2 : 6, uint16_t(100 + a));
    for (int t = 0; t < shape.tags_per_archive; ++t) {
      DemoTag tag;
      tag.group = groups[(t + a) % kTagGroupCount].code;
      tag.subgroup = uint32_t(a * shape.tags_per_archive + t);
      if (shape.shadowing) tag.subgroup /= 2;  // neighbours shadow each other
      tag.name = "Tag " + std::to_string(a) + "." + std::to_string(t);
      tag.data.assign(16, uint8_t(t));
      if (shape.references) {
        std::vector<uint8_t> data = ReferenceData(tag.group, tag.subgroup, &tag.version);
        if (!data.empty()) tag.data = std::move(data);
      }
      archive.tags.push_back(tag);
    }
  }
  for (int i = 0; i < shape.local_tags; ++i) {
    DemoTag tag;
    tag.group = Code("text");
    tag.subgroup = 0x70000000u + uint32_t(i);
    tag.name = "Local " + std::to_string(i);
    tag.data.assign(32, 'x');
    game.AddLocal(tag);
  }
  return game;
}

}  // namespace brae::demo
