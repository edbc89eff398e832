// The demo game with edits to compare: local copies that differ from their archived ones and
// an add-on that updates tags of four groups and brings one new tag. Each difference is small
// enough to be worked out by hand.
#include <string>

#include "mkdemo/DemoGame.h"

namespace brae::demo {

namespace {

DemoTag TextTag(const char (&id)[5], const std::string& name, const std::string& body) {
  DemoTag t;
  t.group = Code("text");
  t.subgroup = Code(id);
  t.name = name;
  t.data.assign(body.begin(), body.end());
  return t;
}

// The amber charm with a third effect and a level more.
DemoTag EditedAmber() {
  DemoTag amber = DemoStructTags()[0];
  amber.data[21] = 3;  // effect_count
  amber.data[39] = 1;  // effects[2].kind: Heal
  amber.data[55] = 6;  // max_level (shown above min_level 3)
  return amber;
}

}  // namespace

void AddCompareDemo(DemoGame& game) {
  game.AddLocal(EditedAmber());
  // The sprites' local copy is an edited one (it replaces the plain copy on writing).
  game.AddLocal(EditedSpritesTag());
  DemoArchive& addon = game.Archive("plugins", "Valley Update", 6, 150);
  addon.name = "Valley Update";
  addon.description = "http://example.invalid/valley-update";
  AddTerrainUpdates(addon);
  AddSoundUpdates(addon);
  addon.tags.push_back(
      TextTag("intr", "Introduction", "Welcome to the Vale, updated.\rNow with a valley.\r"));
  addon.tags.push_back(TextTag("vnot", "Valley Notes", "Read me.\r"));
}

DemoGame MakeCompareDemoGame() {
  DemoGame game = MakeDemoGame();
  AddCompareDemo(game);
  return game;
}

}  // namespace brae::demo
