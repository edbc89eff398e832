// The demo game's archives and loose tags, laid out so that the override rules show:
// the same tags in several archives of different kinds and priorities and in the local folder.
#include <string>

#include "mkdemo/DemoGame.h"

namespace brae::demo {

namespace {

std::vector<uint8_t> Text(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

DemoTag MakeTag(const char (&group)[5], const char (&id)[5], const std::string& name,
                const std::string& body, uint16_t version = 1) {
  DemoTag t;
  t.group = Code(group);
  t.subgroup = Code(id);
  t.name = name;
  t.data = Text(body);
  t.version = version;
  return t;
}

}  // namespace

void AddTagstoreDemo(DemoGame& game) {
  // The game's own archives: kind 1 (base), kind 2 (patch), kind 3 (interface) and one in
  // the older layout.
  {
    DemoArchive& base = game.Archive("tags", "vorn2 tags", 1);
    base.name = "Vorn II";
    base.description = "The game's tags";
    base.tags.push_back(MakeTag("text", "intr", "Introduction", "Welcome to the Vale.\n"));
    base.tags.push_back(MakeTag("text", "cred", "Credits", "Made by the demo generator.\n"));
    base.tags.push_back(MakeTag("scri", "lvl1", "Level One Script", "(define start 1)\n"));
    base.tags.push_back(MakeTag("stli", "unam", "Unit Names", "Warrior\nArcher\nDwarf\n"));
    base.tags.push_back(MakeTag("temp", "tmpl", "Template Sample", "template body\n"));
    base.tags.push_back(MakeTag("scen", "Rock", "Rock", "rock scenery v1", 1));
    base.tags.push_back(MakeTag("unit", "warr", "Warrior", "unit data"));
    base.tags.push_back(MakeTag("proj", "arro", "Arrow", "projectile data"));
  }
  {
    DemoArchive& patch = game.Archive("tags", "patch 1.1", 2);
    patch.name = "Patch 1.1";
    patch.tags.push_back(
        MakeTag("text", "intr", "Introduction", "Welcome to the Vale (patched).\n", 2));
    patch.tags.push_back(MakeTag("unit", "arch", "Archer", "archer data"));
  }
  {
    DemoArchive& ui = game.Archive("tags", "interface", 3);
    ui.name = "Interface";
    ui.tags.push_back(MakeTag("inte", "main", "Main Menu", "interface data"));
    ui.tags.push_back(MakeTag("font", "plum", "Plume", "font data"));
  }
  {
    DemoArchive& legacy = game.Archive("tags", "legacy", 1, 0, true);
    legacy.name = "Legacy";
    legacy.tags.push_back(MakeTag("scen", "tree", "Tree", "old tree", 3));
    legacy.tags.push_back(MakeTag("text", "lore", "Old Lore", "Long ago...\n", 2));
  }

  // Two add-on plugins of different priorities holding the same tag.
  {
    DemoArchive& a = game.Archive("plugins", "Big Rocks", 6, 100);
    a.name = "Big Rocks";
    a.description = "http://example.invalid/big-rocks";
    a.tags.push_back(MakeTag("scen", "Rock", "Rock", "big rock v2", 2));
    a.tags.push_back(MakeTag("text", "rock", "Rock Notes", "Rocks are big.\n"));
  }
  {
    DemoArchive& a = game.Archive("plugins", "Rock Fix", 6, 200);
    a.name = "Rock Fix";
    a.description = "http://example.invalid/rock-fix";
    a.tags.push_back(MakeTag("scen", "Rock", "Rock", "fixed rock v3", 3));
  }

  // Loose tags in the local folder: one overriding an archive copy, two new ones.
  game.AddLocal(MakeTag("text", "cred", "Credits", "Credits, edited locally.\n", 3));
  game.AddLocal(MakeTag("text", "note", "Modder Notes", "Remember to pack the add-on.\n"));
  game.AddLocal(MakeTag("soli", "bttl", "Battle Sounds", "sound list"));
}

}  // namespace brae::demo
