#include "core/MessageLog.h"

#include <gtest/gtest.h>

namespace brae {
namespace {

TEST(MessageLog, KeepsTextPerCategoryAndTellsListener) {
  TheMessageLog().Clear();
  std::vector<int> levels;
  TheMessageLog().SetListener([&](int level, const std::string& category, const std::string& text) {
    levels.push_back(level);
    EXPECT_TRUE(category == "Codex" || category == "Other");
    EXPECT_FALSE(text.empty());
  });
  Log(0, "Codex", "couldn't open local file '%s' for reading\n", "rock");
  Log(2, "Codex", "%d\n", 42);
  Log(1, "Other", "%s", std::string(5000, 'x').c_str());
  TheMessageLog().SetListener(nullptr);
  EXPECT_EQ(TheMessageLog().Text("Codex"), "couldn't open local file 'rock' for reading\n42\n");
  EXPECT_EQ(TheMessageLog().Text("Other").size(), 5000u);
  EXPECT_EQ(TheMessageLog().Text("None"), "");
}

}  // namespace
}  // namespace brae
