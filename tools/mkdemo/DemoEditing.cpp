// Demo content of the tag editing framework: a text tag of every group the text editor edits.
#include "mkdemo/DemoGame.h"

namespace brae::demo {

namespace {

DemoTag TextTag(uint32_t group, uint32_t subgroup, const char* name, const std::string& text) {
  DemoTag tag;
  tag.group = group;
  tag.subgroup = subgroup;
  tag.name = name;
  tag.data.assign(text.begin(), text.end());
  return tag;
}

}  // namespace

std::vector<DemoTag> DemoTextTags() {
  using namespace std::string_literals;
  return {
      TextTag(Code("text"), Code("welc"), "Welcome Text",
              "Welcome to the valley.\rThe river runs north.\r"),
      TextTag(Code("scri"), Code("intr"), "Intro Script", "begin\r  say \"hello\"\rend\r"),
      TextTag(Code("stli"), Code("unam"), "Unit Names", "one\0two\0"s),
      TextTag(Code("temp"), Code("tmpl"), "Unit Template", "alpha\rbeta\r\rgamma"),
      TextTag(Code("ditl"), Code("dlg1"), "Greeting Dialog", "Halt! Who goes there?"),
  };
}

void AddEditingDemo(DemoGame& game) {
  DemoArchive& texts = game.Archive("tags", "texts", 2);
  for (const DemoTag& tag : DemoTextTags()) texts.tags.push_back(tag);
}

}  // namespace brae::demo
