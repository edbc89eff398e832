// docs/cli.md and the manual page stay in step with the commands brae-cli really has.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "cli/CliTest.h"

namespace brae {
namespace {

using test::RunCli;
using test::RunCommand;
using test::ShellQuote;

// The commands `brae-cli help` lists, each with its usage line ("archives GAMEDIR [--json]").
std::set<std::string> HelpUsageLines() {
  std::set<std::string> lines;
  std::istringstream help(RunCli("help").out);
  std::string line;
  bool in_commands = false;
  while (std::getline(help, line)) {
    if (line == "Commands:") {
      in_commands = true;
    } else if (in_commands && line.rfind("  ", 0) == 0) {
      const size_t name_end = line.find(' ', 2);
      const size_t usage = line.find_first_not_of(' ', name_end);
      lines.insert(line.substr(2, name_end - 2) + " " + line.substr(usage));
    }
  }
  return lines;
}

std::set<std::string> NamesOf(const std::set<std::string>& usage_lines) {
  std::set<std::string> names;
  for (const std::string& line : usage_lines) names.insert(line.substr(0, line.find(' ')));
  return names;
}

// docs/cli.md gives each command a "### `name`" heading and its usage as a line
// "brae-cli name ..." in the synopsis.
struct CliDoc {
  std::set<std::string> headings;
  std::set<std::string> synopsis;
};

CliDoc ReadCliDoc() {
  CliDoc doc;
  std::ifstream in(BRAE_DOCS_DIR "/cli.md");
  std::string line;
  bool in_synopsis = false;
  while (std::getline(in, line)) {
    if (line.rfind("## ", 0) == 0) in_synopsis = line == "## Synopsis";
    if (line.rfind("### `", 0) == 0) doc.headings.insert(line.substr(5, line.find('`', 5) - 5));
    if (in_synopsis && line.rfind("brae-cli ", 0) == 0) doc.synopsis.insert(line.substr(9));
  }
  return doc;
}

TEST(CliDocs, ListsExactlyTheCommandsOfHelp) {
  const std::set<std::string> help = HelpUsageLines();
  ASSERT_GT(help.size(), 30u);
  const CliDoc doc = ReadCliDoc();
  EXPECT_EQ(doc.headings, NamesOf(help));
  EXPECT_EQ(doc.synopsis, help);
}

TEST(CliDocs, ManualPageHasAnEntryPerCommand) {
  const std::string page = std::string(BRAE_BUILD_DIR) + "/man/brae-cli.1.gz";
  if (!std::ifstream(page)) GTEST_SKIP() << "no manual page (help2man missing)";
  const std::string roff = RunCommand("zcat " + ShellQuote(page)).out;
  for (const std::string& name : NamesOf(HelpUsageLines())) {
    std::string escaped;  // help2man writes "-" as "\-"
    for (char c : name) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(roff.find(".TP\n" + escaped + "\n"), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace brae
