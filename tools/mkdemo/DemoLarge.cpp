// A large installation for benchmarks and manual checks: many add-ons of generated tags spread
// over every group.
#include "mkdemo/DemoGame.h"
#include "tagstore/TagGroups.h"

namespace brae::demo {

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
