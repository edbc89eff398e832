// Demo content of the tag editing framework: a text tag of every group the text editor edits.
#include "mkdemo/DemoGame.h"

#include <string>

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

std::string LargeFormDefinitionText(const std::string& name, int members, int frames) {
  // Types of every kind of control, in turn; enumerations carry three choices.
  static const char* const kTypes[] = {"long",  "short",       "byte",          "fixed",
                                       "angle", "short_world", "short_enum",    "byte_enum",
                                       "tag",   "long_time",   "fixed_fraction"};
  std::string structure = "  <struct name=\"" + name + "\">\n";
  std::string form = "  <structedit struct=\"" + name + "\" text=\"" + name + "\">\n";
  frames = frames > 0 ? frames : 1;
  const int per_frame = (members + frames - 1) / frames;
  for (int i = 0; i < members; ++i) {
    const std::string type = kTypes[i % (sizeof kTypes / sizeof *kTypes)];
    const std::string member = "m" + std::to_string(i);
    structure += "    <" + type + " name=\"" + member + "\"";
    if (type == "tag") structure += " group=\".256\"";
    if (type == "short_enum" || type == "byte_enum") {
      structure += ">";
      for (int c = 0; c < 3; ++c)
        structure += "<member text=\"Choice " + std::to_string(c) + "\" value=\"" +
                     std::to_string(c) + "\"/>";
      structure += "</" + type + ">\n";
    } else {
      structure += "/>\n";
    }
    if (i % per_frame == 0) {
      if (i) form += "    </frame>\n";
      form +=
          "    <frame text=\"Frame " + std::to_string(i / per_frame + 1) + "\" layout=\"table\">\n";
    }
    form += "      <row><label text=\"Member " + std::to_string(i) + ":\"/><item target=\"" +
            member + "\"/></row>\n";
  }
  if (members > 0) form += "    </frame>\n";
  structure += "  </struct>\n";
  form += "  </structedit>\n";
  return "<?xml version=\"1.0\"?>\n<braexmlfile>\n" + structure + form + "</braexmlfile>\n";
}

DemoTag LargeFormTag(const char (&group)[5], const char (&subgroup)[5], size_t record_size) {
  DemoTag tag;
  tag.group = Code(group);
  tag.subgroup = Code(subgroup);
  tag.name = "Large Form";
  tag.data.assign(record_size, 0);
  return tag;
}

void AddEditingDemo(DemoGame& game) {
  DemoArchive& texts = game.Archive("tags", "texts", 2);
  for (const DemoTag& tag : DemoTextTags()) texts.tags.push_back(tag);
}

}  // namespace brae::demo
