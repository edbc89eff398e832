#include "core/Prefs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "TempDir.h"

namespace brae {
namespace {

TEST(PrefsParse, IntegerLineNeedsLineEnd) {
  Prefs p;
  p.ParseText("UseVSync 0\n");
  int v = 7;
  EXPECT_TRUE(p.GetInt("UseVSync", &v));
  EXPECT_EQ(v, 0);

  Prefs q;
  q.ParseText("UseVSync 0");
  EXPECT_FALSE(q.GetInt("UseVSync", &v));
}

TEST(PrefsParse, StringWithLineFeedOrCarriageReturn) {
  for (const char* text : {"VornPath \"C:/Games/Vorn II/\"\n", "VornPath \"C:/Games/Vorn II/\"\r\n",
                           "VornPath \"C:/Games/Vorn II/\"\r"}) {
    Prefs p;
    p.ParseText(text);
    std::string s;
    ASSERT_TRUE(p.GetString("VornPath", &s)) << text;
    EXPECT_EQ(s, "C:/Games/Vorn II/");
  }
}

TEST(PrefsParse, MalformedEntriesAndStops) {
  Prefs p;
  // A bad string (a tab inside) is skipped; the key after it still reads... as its own key.
  p.ParseText("A 1\nB \"x\ty\"\nC 3\n");
  int v = 0;
  EXPECT_TRUE(p.GetInt("A", &v));
  EXPECT_EQ(v, 1);
  std::string s;
  EXPECT_FALSE(p.GetString("B", &s));

  // A key followed by a line feed ends loading, keeping what was read.
  Prefs q;
  q.ParseText("A 1\nLonely\nC 3\n");
  EXPECT_TRUE(q.GetInt("A", &v));
  EXPECT_FALSE(q.GetInt("C", &v));

  // Unterminated string.
  Prefs r;
  r.ParseText("S \"abc\n");
  EXPECT_FALSE(r.GetString("S", &s));

  // Negative numbers and the file's values replace defaults.
  Prefs t;
  t.SetInt("ShowSplash", 1);
  t.ParseText("ShowSplash -1\n");
  EXPECT_TRUE(t.GetInt("ShowSplash", &v));
  EXPECT_EQ(v, -1);
}

TEST(PrefsValues, KindMismatchLeavesOutUnchanged) {
  Prefs p;
  p.SetString("Key", "text");
  int v = 42;
  EXPECT_FALSE(p.GetInt("Key", &v));
  EXPECT_EQ(v, 42);
  p.SetInt("Key", 5);  // setting replaces value and kind
  std::string s = "unchanged";
  EXPECT_FALSE(p.GetString("Key", &s));
  EXPECT_EQ(s, "unchanged");
  EXPECT_FALSE(p.GetInt("Missing", &v));
}

TEST(PrefsValues, StringLists) {
  Prefs p;
  p.SetString("L", "a;b");
  std::vector<std::string> items;
  EXPECT_TRUE(p.GetStringList("L", &items));
  EXPECT_EQ(items, std::vector<std::string>{"a"});

  p.SetStringList("W", {"one", "two", "three"});
  std::string raw;
  p.GetString("W", &raw);
  EXPECT_EQ(raw, "one;two;three;");
  std::vector<std::string> more{"pre"};
  EXPECT_TRUE(p.GetStringList("W", &more));
  EXPECT_EQ(more, (std::vector<std::string>{"pre", "one", "two", "three"}));

  std::vector<std::string> none;
  EXPECT_FALSE(p.GetStringList("Missing", &none));
}

TEST(PrefsFile, SaveAndLoadRoundTrip) {
  test::TempDir dir;
  Prefs p;
  p.SetPath(dir.Path() + "/prefs.txt");
  p.SetInt("ShowSplash", -1);
  p.SetString("VornPath", "/games/vorn/");
  p.SetInt("A", 2147483647);
  ASSERT_TRUE(p.Save());
  EXPECT_EQ(test::ReadFile(dir.Path() + "/prefs.txt"),
            "A 2147483647\nShowSplash -1\nVornPath \"/games/vorn/\"\n");

  Prefs q;
  q.SetPath(p.Path());
  ASSERT_TRUE(q.Load());
  int v = 0;
  EXPECT_TRUE(q.GetInt("ShowSplash", &v));
  EXPECT_EQ(v, -1);
  std::string s;
  EXPECT_TRUE(q.GetString("VornPath", &s));
  EXPECT_EQ(s, "/games/vorn/");
}

TEST(PrefsFile, MissingFileAndFailedSaveKeepOldFile) {
  test::TempDir dir;
  Prefs p;
  p.SetPath(dir.Path() + "/none.txt");
  EXPECT_FALSE(p.Load());

  // A save into a folder that does not exist fails and leaves nothing behind.
  p.SetPath(dir.Path() + "/missing/prefs.txt");
  EXPECT_FALSE(p.Save());

  // A failed save never destroys the existing file: make the temporary name a folder.
  const std::string path = dir.Path() + "/prefs.txt";
  test::WriteFile(path, "Old 1\n");
  ASSERT_EQ(0, ::mkdir((path + ".tmp").c_str(), 0777));
  p.SetPath(path);
  p.SetInt("New", 2);
  EXPECT_FALSE(p.Save());
  EXPECT_EQ(test::ReadFile(path), "Old 1\n");
}

TEST(PrefsFile, SaveKeepsTheModeTheUserGaveTheFile) {
  test::TempDir dir;
  Prefs p;
  const std::string path = dir.Path() + "/prefs.txt";
  test::WriteFile(path, "Old 1\n");
  ASSERT_EQ(0, ::chmod(path.c_str(), 0604));
  p.SetPath(path);
  p.SetInt("New", 2);
  ASSERT_TRUE(p.Save());
  struct stat st {};
  ASSERT_EQ(0, ::stat(path.c_str(), &st));
  EXPECT_EQ(st.st_mode & 07777, 0604u);
}

class FakeWindow : public PlacementTarget {
 public:
  void GetPlacement(int* s, int* a, int* b, int* c, int* d) const override {
    *s = state, *a = x0, *b = y0, *c = x1, *d = y1;
  }
  void SetPlacement(int s, int a, int b, int c, int d) override {
    state = s, x0 = a, y0 = b, x1 = c, y1 = d;
    set = true;
  }
  void GetScreenSize(int* w, int* h) const override { *w = 1024, *h = 768; }
  int state = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool set = false;
};

TEST(PrefsPlacement, FitToScreenMovesWithoutResizing) {
  Prefs p;
  FakeWindow w;
  w.x0 = 900, w.y0 = 700, w.x1 = 1300, w.y1 = 1000;
  p.SetWindowPlacement(w, "Win");
  std::string s;
  p.GetString("Win", &s);
  EXPECT_EQ(s, "0 900 700 1300 1000");

  FakeWindow restored;
  ASSERT_TRUE(p.GetWindowPlacement(&restored, "Win", true));
  EXPECT_EQ(restored.x0, 624);
  EXPECT_EQ(restored.y0, 468);
  EXPECT_EQ(restored.x1, 1024);
  EXPECT_EQ(restored.y1, 768);

  // Larger than the screen: moved to start at 0, size kept.
  p.SetString("Big", "2 -50 10 1500 300");
  ASSERT_TRUE(p.GetWindowPlacement(&restored, "Big", true));
  EXPECT_EQ(restored.state, 2);
  EXPECT_EQ(restored.x0, 0);
  EXPECT_EQ(restored.x1, 1550);

  FakeWindow untouched;
  p.SetString("Bad", "0 1 2 3");
  EXPECT_FALSE(p.GetWindowPlacement(&untouched, "Bad", false));
  EXPECT_FALSE(untouched.set);
}

class FakeControl : public ControlValueTarget {
 public:
  explicit FakeControl(const char* kind) : kind_(kind) {}
  const char* ClassName() const override { return kind_; }
  int GetCheckState() const override { return check; }
  void SetCheckState(int s) override { check = s; }
  std::string GetControlText() const override { return text; }
  void SetControlText(const std::string& t) override { text = t; }
  int check = 0;
  std::string text;

 private:
  const char* kind_;
};

TEST(PrefsControls, DialogValuesUseDottedKeys) {
  Prefs p;
  FakeControl box("CheckBox"), field("TextBox"), other("Button");
  box.check = 1;
  field.text = "hello";
  other.text = "ignored";
  p.DialogValues("Builder", true, {{"Mirror", &box}, {"Name", &field}, {"Go", &other}});
  int v = 0;
  EXPECT_TRUE(p.GetInt("Builder.Mirror", &v));
  EXPECT_EQ(v, 1);
  std::string s;
  EXPECT_TRUE(p.GetString("Builder.Name", &s));
  EXPECT_EQ(s, "hello");
  EXPECT_FALSE(p.GetString("Builder.Go", &s));

  FakeControl box2("CheckBox"), field2("TextBox");
  p.DialogValues("Builder", false, {{"Mirror", &box2}, {"Name", &field2}});
  EXPECT_EQ(box2.check, 1);
  EXPECT_EQ(field2.text, "hello");

  // A stored check state of 4 or more is not loaded.
  p.SetInt("Builder.Mirror", 4);
  FakeControl box3("CheckBox");
  box3.check = 2;
  LoadControlValue("x", &box3);
  p.SaveControlValue("Builder.Mirror", &box3, false);
  EXPECT_EQ(box3.check, 2);
}

}  // namespace
}  // namespace brae
