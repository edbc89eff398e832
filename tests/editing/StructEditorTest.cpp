// The structure editor on a generated game with its own definition file: binding groups,
// the generated form and its controls, saving byte for byte, arrays, nested forms, the tag and
// sequence lists, the shared collection cache, undo, and large forms that scroll.
#include <cstring>
#include <deque>
#include <functional>

#include "EditingFixture.h"
#include "collection/Collection.h"
#include "editing/MemberChangeListener.h"
#include "editing/StructCollectionCache.h"
#include "editing/StructEditor.h"
#include "editing/SubStructArrayEdit.h"
#include "editing/Table.h"
#include "editing/TagStructEdit.h"
#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/FieldLayout.h"
#include "toolkit/Button.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ComboBox.h"
#include "toolkit/ListWindow.h"
#include "toolkit/ScrollableWindow.h"

namespace brae {
namespace {

using test::EditingTest;

class StructEditTest : public EditingTest {
 protected:
  void AddContent(demo::DemoGame& game) override {
    demo::AddCollectionsDemo(game);
    demo::AddStructsDemo(game);
    StructRegistry& registry = TheStructRegistry();
    registry.Clear();
    ASSERT_TRUE(registry.AddDefinitionText(demo::DemoDefinitionText()));
    registry.BuildRegistry();
  }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    on_pump = [this](int) {
      AnswerBox();
      if (!steps.empty() && TopModal() && steps.front()()) steps.pop_front();
    };
  }
  void TearDown() override {
    EditingTest::TearDown();
    TheStructRegistry().Clear();
  }

  TagStructEdit* OpenOgre() {
    auto* editor = dynamic_cast<TagStructEdit*>(OpenTag(Find("mons", "ogre")));
    Frame();
    return editor;
  }
  static const StructDefinition& Mons() {
    return *TheStructRegistry().FindStructDefinition("mons");
  }
  static const StructMember& M(const char* name) { return *Mons().FindMember(name); }
  int32_t Value(StructEditor* e, const char* name, int index = 0) {
    return ReadInteger(M(name), e->Record(), e->RecordSize(), index);
  }
  MemberChangeListener* ListenerOf(StructEditor* e, const char* member, int bit = -1) {
    for (auto& l : e->Listeners())
      if (l->member->name == member && l->bit == bit) return l.get();
    return nullptr;
  }
  SubStructArrayEdit* ArrayOf(StructEditor* e, const char* member) {
    for (SubStructArrayEdit* a : e->Arrays())
      if (a->Array().array->name == member) return a;
    return nullptr;
  }
  // Scrolls the form so that the window is in view.
  void ScrollIntoView(Window* w) {
    for (Window* a = w->Parent(); a; a = a->Parent())
      if (auto* view = dynamic_cast<ScrollableWindow*>(a)) {
        if (w->Frame().y1 > view->ClientRect().y1)
          view->ScrollTo(view->VPos() + w->Frame().y1 - view->ClientRect().y1);
        Frame();
        return;
      }
  }
  void ClickWindow(Window* w) {
    Rect f = w->Frame();
    Click((f.x0 + f.x1) / 2, (f.y0 + f.y1) / 2);
  }
  // Opens the combo with a click and clicks the item with the text in its list.
  void ChooseByClick(ComboBox* combo, const std::string& text) {
    steps.push_back([combo, text] {
      if (!combo->IsOpen()) return false;
      for (int i = 0; i < combo->ItemCount(); ++i)
        if (combo->ItemAt(i).text == text) {
          combo->List()->ShowRow(i);
          ComboBox::ItemList* list = combo->List();
          int lh = LineHeight(list);
          int y = list->ClientRect().y0 + (i - list->first_row) * lh + lh / 2;
          QueueMousePosition(list->ClientRect().x0 + 10, y);
          QueueMouseButton(0, 1);
          QueueMouseButton(0, 0);
          return true;
        }
      return false;
    });
    ClickWindow(combo->Button());
    Frame();
  }
  void SelectAllAndType(TextBox* box, const std::string& text) {
    ClickWindow(box);
    box->SelectAll();
    Type(text);
  }
  // A step that acts on the top nested form once it is open.
  void WhenNestedOpens(std::function<void(StructEditor*)> act) {
    steps.push_back([act] {
      auto* nested = dynamic_cast<StructEditor*>(TopModal()->window);
      if (!nested || !nested->IsVisible()) return false;
      act(nested);
      return true;
    });
  }
  std::vector<uint8_t> RecordBytes(const TagRecord* record) {
    std::string data = LooseData(record->group, "Hill Ogre");
    return std::vector<uint8_t>(data.begin(), data.end());
  }

  std::deque<std::function<bool()>> steps;
};

TEST_F(StructEditTest, BoundGroupsGetTheStructureEditor) {
  EXPECT_TRUE(FindTagGroup(FourCC("mons"))->editor_factory);
  EXPECT_TRUE(FindTagGroup(FourCC("arti"))->editor_factory);
  EXPECT_FALSE(FindTagGroup(FourCC("core"))->editor_factory);  // no definition
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  ASSERT_TRUE(form);
  EXPECT_STREQ(editor->Title(), "Hill Ogre");
  EXPECT_EQ(static_cast<TextBox*>(ListenerOf(form, "hit_points")->control)->Text(), "120");
  EXPECT_EQ(static_cast<TextBox*>(ListenerOf(form, "speed")->control)->Text(), "2.000");
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "size")->control)->Text(), "Medium");
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "collection")->control)->Text(),
            "Demo Sprites");
  EXPECT_FALSE(static_cast<CheckBox*>(ListenerOf(form, "flags", 3)->control)->IsChecked());
  // OK and Cancel: 96 wide, 208 and 104 pixels left of the right edge.
  Rect client = form->ClientRect();
  EXPECT_EQ(form->OkButton()->Frame().x0, client.x1 - 208);
  EXPECT_EQ(form->CancelButton()->Frame().x0, client.x1 - 104);
  EXPECT_EQ(form->OkButton()->Frame().Width(), 96);
  test::SaveScreenshot("struct_form");
}

TEST_F(StructEditTest, ADifferentSizeFailsToLoad) {
  demo::DemoTag wrong;
  wrong.group = FourCC("mons");
  wrong.subgroup = FourCC("runt");
  wrong.name = "Runt";
  wrong.data.assign(10, 0);
  demo::DemoGame game;
  game.AddLocal(wrong);
  ASSERT_TRUE(game.Write(game_));
  TheCodex().PollLocalFolder(true);
  TagRecord* record = Find("mons", "runt");
  ASSERT_TRUE(record);
  EXPECT_FALSE(OpenTag(record));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].message, "The tag could not be loaded.");
  EXPECT_EQ(CountLayer0("TagStructEdit"), 0);
}

TEST_F(StructEditTest, AHostileRecordOpensWithItsValuesHeldInRange) {
  demo::DemoGame game;
  for (auto [id, fill] : {std::pair<const char*, uint8_t>{"hsta", 0x7F}, {"hstb", 0xFF}}) {
    demo::DemoTag tag;
    tag.group = FourCC("mons");
    tag.subgroup = MakeFourCC(id[0], id[1], id[2], id[3]);
    tag.name = std::string("Hostile ") + id;
    tag.data.assign(Mons().Size(), fill);
    game.AddLocal(tag);
  }
  ASSERT_TRUE(game.Write(game_));
  TheCodex().PollLocalFolder(true);

  auto* a = dynamic_cast<TagStructEdit*>(OpenTag(Find("mons", "hsta")));
  ASSERT_TRUE(a);
  Frame();
  StructEditor* form = a->Editor();
  // A count beyond the array is held to its 8 elements; their collection does not exist.
  SubStructArrayEdit* attacks = ArrayOf(form, "attacks");
  ASSERT_EQ(attacks->List()->ShownCount(), 8u);
  EXPECT_EQ(attacks->List()->ShownRow(7)->text, "Sequence #8");
  EXPECT_FALSE(attacks->AddButton()->IsEnabled());
  // Values without a choice show as their numbers.
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "size")->control)->Text(), "127");
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "idle")->control)->Text(), "32639");
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "idle")->control)->ItemCount(), 1);
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "collection")->control)->Text(),
            "0x7F7F7F7F");  // as the command line prints an id that is not four characters
  attacks->List()->Select(attacks->List()->ShownRow(0), false);
  EXPECT_TRUE(attacks->DeleteSelected());
  EXPECT_EQ(Value(form, "attack_count"), 7);

  auto* b = dynamic_cast<TagStructEdit*>(OpenTag(Find("mons", "hstb")));
  ASSERT_TRUE(b);
  Frame();
  form = b->Editor();
  EXPECT_EQ(ArrayOf(form, "attacks")->List()->ShownCount(), 0u);  // a count of -1
  EXPECT_TRUE(ArrayOf(form, "attacks")->AddButton()->IsEnabled());
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "size")->control)->Text(), "Small");
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "collection")->control)->Text(), "<no tag>");
  EXPECT_EQ(static_cast<ComboBox*>(ListenerOf(form, "idle")->control)->Text(), "<no sequence>");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(StructEditTest, RoundTripThroughTheWindowSavesTheExpectedRecord) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  std::vector<uint8_t> expected(form->RootBytes());  // host order, changed like the form
  const StructDefinition& mons = Mons();
  auto store = [&](const char* name, int64_t v, int index = 0) {
    WriteInteger(M(name), expected.data(), expected.size(), index, v);
  };

  SelectAllAndType(static_cast<TextBox*>(ListenerOf(form, "hit_points")->control), "250");
  store("hit_points", 250);
  ChooseByClick(static_cast<ComboBox*>(ListenerOf(form, "size")->control), "Large");
  store("size", 2);
  ClickWindow(ListenerOf(form, "flags", 3)->control);
  store("flags", 8);
  ChooseByClick(static_cast<ComboBox*>(ListenerOf(form, "collection")->control), "Glow Effects");
  store("collection", int32_t(FourCC("glow")));
  store("idle", -1);
  store("death", -1);
  EXPECT_STREQ(editor->Title(), "Hill Ogre*");

  // An element of the attacks: double-click row 2 and change its damage.
  SubStructArrayEdit* attacks = ArrayOf(form, "attacks");
  ASSERT_TRUE(attacks);
  ASSERT_EQ(attacks->List()->ShownCount(), 3u);
  ScrollIntoView(attacks);
  WhenNestedOpens([&](StructEditor* nested) {
    EXPECT_EQ(ReadInteger(*nested->Definition()->FindMember("damage"), nested->Record(),
                          nested->RecordSize(), 0),
              20);
    auto* damage = static_cast<TextBox*>(ListenerOf(nested, "damage")->control);
    damage->SetFocus(0);
    damage->SelectAll();
    for (char c : std::string("45")) QueueCharEvent(c);
    steps.push_back([nested] {
      if (nested->IsClosed()) return true;
      Rect ok = nested->OkButton()->Frame();
      QueueMousePosition((ok.x0 + ok.x1) / 2, (ok.y0 + ok.y1) / 2);
      QueueMouseButton(0, 1);
      QueueMouseButton(0, 0);
      return true;
    });
  });
  Rect row = attacks->List()->RowRect(1);
  QueueMousePosition(row.x0 + 20, row.y0 + 2);
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
  Frame();
  now += 0.1;
  QueueMouseButton(0, 1);
  QueueMouseButton(0, 0);
  Frame();
  Frame();
  const auto* attack = static_cast<const VornStructMember*>(mons.FindMember("attacks"));
  WriteInteger(*attack->embedded->FindMember("damage"),
               expected.data() + attack->offset + attack->ElementSize(), attack->ElementSize(), 0,
               45);
  EXPECT_EQ(form->RootBytes(), expected);

  ClickWindow(form->OkButton());
  Frame();
  std::vector<uint8_t> file(expected.size());
  ConvertToFile(expected.data(), file.data(), 1, mons.FieldDescription());
  EXPECT_EQ(RecordBytes(Find("mons", "ogre")), file);
  // The same, from the generator's own bytes patched by hand (big-endian, offsets of 'mons').
  std::vector<uint8_t> by_hand;
  for (const demo::DemoTag& tag : demo::DemoStructTags())
    if (tag.group == FourCC("mons")) by_hand = tag.data;
  ASSERT_EQ(by_hand.size(), 106u);
  const uint8_t patches[][2] = {{3, 250},   {4, 8},     {5, 2},     {8, 'g'},   {9, 'l'},
                                {10, 'o'},  {11, 'w'},  {12, 0xFF}, {13, 0xFF}, {14, 0xFF},
                                {15, 0xFF}, {32, 0x00}, {33, 45}};
  for (const auto& p : patches) by_hand[p[0]] = p[1];
  EXPECT_EQ(RecordBytes(Find("mons", "ogre")), by_hand);
  EXPECT_EQ(CountLayer0("TagStructEdit"), 0);
}

TEST_F(StructEditTest, AnOpenedFormTakesTypingInItsFirstControl) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  EXPECT_EQ(Ui().focus, ListenerOf(form, "hit_points")->control);
  QueueKeyEvent(kKeyLeftControl, 1);
  QueueKeyEvent('A', 1);
  QueueKeyEvent('A', 0);
  QueueKeyEvent(kKeyLeftControl, 0);
  Type("250");
  EXPECT_EQ(Value(form, "hit_points"), 250);
  EXPECT_STREQ(editor->Title(), "Hill Ogre*");
}

// Storm Bolt's thunder names a sound the game does not have. Its choice shows the id as the
// command line prints it, and keeps showing it when the list is left without a choice, by the
// keyboard or after moving in the list: OK saves the record as it was.
TEST_F(StructEditTest, AChoiceOfAMissingTagShowsItsIdAndKeepsItWhenCancelled) {
  auto* editor = dynamic_cast<TagStructEdit*>(OpenTag(Find("ligh", "bolt")));
  ASSERT_TRUE(editor);
  Frame();
  StructEditor* form = editor->Editor();
  auto* thunder = static_cast<ComboBox*>(ListenerOf(form, "thunder")->control);
  EXPECT_EQ(thunder->Text(), "thun");
  auto press = [](int key) {
    return [key] {
      QueueKeyEvent(key, 1);
      QueueKeyEvent(key, 0);
      return true;
    };
  };
  // Focused and opened with Down, left with Escape.
  thunder->SetFocus(0);
  steps.push_back(press(kKeyEscape));
  Tap(kKeyDown);
  Frame();
  EXPECT_FALSE(thunder->IsOpen());
  EXPECT_EQ(thunder->Text(), "thun");
  // Opened with the mouse, moved to "<no tag>" with Down, left with Escape.
  steps.push_back(press(kKeyDown));
  steps.push_back(press(kKeyEscape));
  ClickWindow(thunder->Button());
  Frame();
  EXPECT_FALSE(thunder->IsOpen());
  EXPECT_EQ(thunder->Text(), "thun");
  EXPECT_EQ(thunder->SelectedIndex(), -1);
  ClickWindow(form->OkButton());
  Frame();
  std::vector<uint8_t> original;
  for (const demo::DemoTag& tag : demo::DemoStructTags())
    if (tag.group == FourCC("ligh")) original = tag.data;
  std::string saved = LooseData(FourCC("ligh"), "Storm Bolt");
  EXPECT_EQ(std::vector<uint8_t>(saved.begin(), saved.end()), original);
}

TEST_F(StructEditTest, ANumberBoxShowsWhatWasStoredWhenLeft) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  auto* speed = static_cast<TextBox*>(ListenerOf(form, "speed")->control);
  SelectAllAndType(speed, "2.0011");
  EXPECT_EQ(Value(form, "speed"), 1025);
  EXPECT_EQ(speed->Text(), "2.0011");  // not rewritten while typing
  ClickWindow(ListenerOf(form, "hit_points")->control);
  EXPECT_EQ(speed->Text(), "2.002");
  SelectAllAndType(speed, "100");  // beyond a short: clamped
  ClickWindow(ListenerOf(form, "hit_points")->control);
  EXPECT_EQ(Value(form, "speed"), 32767);
  EXPECT_EQ(speed->Text(), "63.998");
}

TEST_F(StructEditTest, ABitOverZeroStoresItsValue) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  ClickWindow(ListenerOf(form, "flags", 3)->control);
  EXPECT_EQ(Value(form, "flags"), 8);
  ClickWindow(ListenerOf(form, "flags", 0)->control);
  EXPECT_EQ(Value(form, "flags"), 9);
  ClickWindow(ListenerOf(form, "flags", 3)->control);
  EXPECT_EQ(Value(form, "flags"), 1);
}

TEST_F(StructEditTest, ChangingTheTagResetsItsSequences) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  auto* idle = static_cast<ComboBox*>(ListenerOf(form, "idle")->control);
  EXPECT_EQ(idle->ItemAt(0).text, "<no sequence>");
  EXPECT_GT(idle->ItemCount(), 1);
  EXPECT_EQ(Value(form, "death"), 1);
  // The portrait's sequences come from the collection its 'core' tag names ('glow').
  auto* portrait = static_cast<ComboBox*>(ListenerOf(form, "portrait_sequence")->control);
  ASSERT_EQ(portrait->ItemCount(), 3);
  EXPECT_EQ(portrait->ItemAt(2).text, "1: Glow");
  EXPECT_EQ(portrait->Text(), "1: Glow");

  ChooseByClick(static_cast<ComboBox*>(ListenerOf(form, "collection")->control), "Glow Effects");
  EXPECT_EQ(Value(form, "idle"), -1);
  EXPECT_EQ(Value(form, "death"), -1);
  EXPECT_EQ(idle->Text(), "<no sequence>");
  ASSERT_EQ(idle->ItemCount(), 3);
  EXPECT_EQ(idle->ItemAt(1).text, "0: Flare");
  EXPECT_EQ(Value(form, "portrait_sequence"), 1);  // it follows the portrait, not the collection
  ChooseByClick(static_cast<ComboBox*>(ListenerOf(form, "collection")->control), "<no tag>");
  EXPECT_EQ(Value(form, "collection"), -1);
  EXPECT_EQ(idle->ItemCount(), 1);
}

TEST_F(StructEditTest, TwoEditorsShareOneCollectionFreedWhenBothClose) {
  StructCollectionCache& cache = TheStructCollectionCache();
  int loads = cache.LoadCount();
  TagStructEdit* ogre = OpenOgre();
  ASSERT_TRUE(ogre);
  auto* arti = dynamic_cast<TagStructEdit*>(OpenTag(Find("arti", "ambr")));
  ASSERT_TRUE(arti);
  Frame();
  test::SaveScreenshot("struct_form_artifact");
  EXPECT_EQ(cache.References(FourCC("dspr")), 2);
  EXPECT_EQ(cache.LoadCount(), loads + 2);  // 'dspr' once, 'glow' once
  Collection* shared = cache.Find(FourCC("dspr"));
  ASSERT_TRUE(shared);
  EXPECT_FALSE(shared->sequences.empty());
  EXPECT_TRUE(TryClose(ogre));
  EXPECT_EQ(cache.References(FourCC("dspr")), 1);
  EXPECT_EQ(cache.Find(FourCC("glow")), nullptr);
  EXPECT_TRUE(TryClose(arti));
  EXPECT_EQ(cache.Find(FourCC("dspr")), nullptr);
  EXPECT_EQ(cache.LoadedCount(), 0u);
}

TEST_F(StructEditTest, DeletingARowMovesTheLaterElementsDown) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  SubStructArrayEdit* attacks = ArrayOf(form, "attacks");
  ASSERT_TRUE(attacks);
  ScrollIntoView(attacks);
  EXPECT_FALSE(attacks->DeleteButton()->IsEnabled());
  Rect row = attacks->List()->RowRect(0);
  Click(row.x0 + 20, row.y0 + 2);
  EXPECT_TRUE(attacks->DeleteButton()->IsEnabled());
  EXPECT_TRUE(attacks->DuplicateButton()->IsEnabled());
  ClickWindow(attacks->DeleteButton());
  EXPECT_EQ(Value(form, "attack_count"), 2);
  const auto* array = static_cast<const VornStructMember*>(&M("attacks"));
  const StructMember& sequence = *array->embedded->FindMember("sequence");
  auto element = [&](int i) { return form->Record() + array->offset + i * array->ElementSize(); };
  EXPECT_EQ(ReadInteger(sequence, element(0), 8, 0), 1);
  EXPECT_EQ(ReadInteger(sequence, element(1), 8, 0), 2);
  for (int i = 2; i < 8; ++i)
    for (size_t b = 0; b < array->ElementSize(); ++b) EXPECT_EQ(element(i)[b], 0) << i;
  EXPECT_EQ(attacks->List()->ShownCount(), 2u);
  EXPECT_STREQ(editor->Title(), "Hill Ogre*");
  test::SaveScreenshot("struct_array_list");
}

TEST_F(StructEditTest, AddIsOnlyOfferedWithARuntimeCount) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  SubStructArrayEdit* loot = ArrayOf(form, "loot");
  ASSERT_TRUE(loot);
  EXPECT_FALSE(loot->AddButton()->IsVisible());
  EXPECT_FALSE(loot->Add());
  ASSERT_EQ(loot->List()->ShownCount(), 1u);  // only the element whose tag exists
  EXPECT_EQ(loot->List()->ShownRow(0)->text, "Amber Charm");
  SubStructArrayEdit* attacks = ArrayOf(form, "attacks");
  EXPECT_TRUE(attacks->AddButton()->IsVisible());
  EXPECT_TRUE(attacks->AddButton()->IsEnabled());
}

TEST_F(StructEditTest, CancelAfterAddRestoresTheBytes) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  std::vector<uint8_t> before = form->RootBytes();
  SubStructArrayEdit* attacks = ArrayOf(form, "attacks");
  ScrollIntoView(attacks);
  std::string title;
  int count_inside = 0;
  WhenNestedOpens([&](StructEditor* nested) {
    title = nested->Title() ? nested->Title() : "";
    count_inside = Value(form, "attack_count");
    auto* damage = static_cast<TextBox*>(ListenerOf(nested, "damage")->control);
    damage->SetFocus(0);
    for (char c : std::string("77")) QueueCharEvent(c);
    steps.push_back([nested] {
      if (nested->IsClosed()) return true;
      Rect cancel = nested->CancelButton()->Frame();
      QueueMousePosition((cancel.x0 + cancel.x1) / 2, (cancel.y0 + cancel.y1) / 2);
      QueueMouseButton(0, 1);
      QueueMouseButton(0, 0);
      return true;
    });
  });
  ClickWindow(attacks->AddButton());
  Frame();
  EXPECT_EQ(title, "attack #4");
  EXPECT_EQ(count_inside, 4);
  EXPECT_EQ(form->RootBytes(), before);
  EXPECT_EQ(attacks->List()->ShownCount(), 3u);
}

TEST_F(StructEditTest, DuplicateCopiesTheSelectedElementIntoANewOne) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  SubStructArrayEdit* attacks = ArrayOf(form, "attacks");
  ScrollIntoView(attacks);
  EXPECT_FALSE(attacks->DuplicateButton()->IsEnabled());
  Rect row = attacks->List()->RowRect(1);
  Click(row.x0 + 20, row.y0 + 2);
  std::string title;
  WhenNestedOpens([&](StructEditor* nested) {
    title = nested->Title() ? nested->Title() : "";
    nested->PressOk();
  });
  ClickWindow(attacks->DuplicateButton());
  Frame();
  EXPECT_EQ(title, "attack #4");
  EXPECT_EQ(Value(form, "attack_count"), 4);
  const auto* array = static_cast<const VornStructMember*>(&M("attacks"));
  const uint8_t* base = form->Record() + array->offset;
  EXPECT_EQ(std::memcmp(base + 3 * array->ElementSize(), base + 1 * array->ElementSize(),
                        array->ElementSize()),
            0);
  EXPECT_EQ(attacks->List()->ShownCount(), 4u);
  EXPECT_STREQ(editor->Title(), "Hill Ogre*");
}

TEST_F(StructEditTest, ANewTagStartsFromAZeroRecord) {
  TagEdit* created = CreateAndOpen(FourCC("mons"), "Cave Troll");
  auto* editor = dynamic_cast<TagStructEdit*>(created);
  ASSERT_TRUE(editor);
  Frame();
  EXPECT_STREQ(editor->Title(), "Cave Troll*");
  StructEditor* form = editor->Editor();
  EXPECT_EQ(static_cast<TextBox*>(ListenerOf(form, "hit_points")->control)->Text(), "0");
  SelectAllAndType(static_cast<TextBox*>(ListenerOf(form, "hit_points")->control), "7");
  ClickWindow(form->OkButton());
  Frame();
  std::string data = LooseData(FourCC("mons"), "Cave Troll");
  ASSERT_EQ(data.size(), Mons().Size());
  EXPECT_EQ(data.substr(0, 4), std::string("\0\0\0\7", 4));
  EXPECT_EQ(data.substr(4), std::string(Mons().Size() - 4, '\0'));
}

TEST_F(StructEditTest, NestedFormsOfASingleStructureAndAContainer) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  Button* drop = nullptr;
  Button* movement = nullptr;
  std::function<void(Window*)> walk = [&](Window* w) {
    for (Window* c = w->FirstChild(); c; c = c->NextSibling()) {
      if (auto* b = dynamic_cast<Button*>(c)) {
        if (b->Title() && std::string(b->Title()) == "Drop...") drop = b;
        if (b->Title() && std::string(b->Title()) == "Movement...") movement = b;
      }
      walk(c);
    }
  };
  walk(form);
  ASSERT_TRUE(drop);
  ASSERT_TRUE(movement);
  ScrollIntoView(drop);
  bool shot = false;
  WhenNestedOpens([&](StructEditor* nested) {
    EXPECT_STREQ(nested->Title(), "Drop...");
    auto* chance = static_cast<TextBox*>(ListenerOf(nested, "chance")->control);
    EXPECT_EQ(chance->Text(), "100");
    chance->SetFocus(0);
    chance->SelectAll();
    QueueCharEvent('7');
    steps.push_back([this, nested, &shot] {
      if (!shot) {
        test::SaveScreenshot("struct_nested_form");
        shot = true;
        return false;
      }
      nested->PressOk();
      return true;
    });
  });
  ClickWindow(drop);
  Frame();
  const auto* member = static_cast<const VornStructMember*>(&M("drop"));
  EXPECT_EQ(ReadInteger(*member->embedded->FindMember("chance"), form->Record() + member->offset,
                        member->ElementSize(), 0),
            7);
  EXPECT_STREQ(editor->Title(), "Hill Ogre*");

  // The nested container edits the same record and goes away with its close box.
  steps.push_back([] {
    Window* top = TopModal()->window;
    if (!top || std::string(top->ClassName()) != "NestedContainerWindow") return false;
    top->RequestClose(0);
    return true;
  });
  ClickWindow(movement);
  Frame();
  EXPECT_EQ(CountLayer0("TagStructEdit"), 1);
}

TEST_F(StructEditTest, ControlZAndYUndoAndRedoMemberWrites) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  ClickWindow(ListenerOf(form, "flags", 3)->control);
  auto* hp = static_cast<TextBox*>(ListenerOf(form, "hit_points")->control);
  SelectAllAndType(hp, "9");
  EXPECT_EQ(Value(form, "hit_points"), 9);
  EXPECT_EQ(Value(form, "flags"), 8);
  auto chord = [&](int key) {
    QueueKeyEvent(kKeyLeftControl, 1);
    QueueKeyEvent(key, 1);
    QueueKeyEvent(key, 0);
    QueueKeyEvent(kKeyLeftControl, 0);
    Frame();
  };
  chord('Z');
  EXPECT_EQ(Value(form, "hit_points"), 120);
  EXPECT_EQ(hp->Text(), "120");
  chord('Z');
  EXPECT_EQ(Value(form, "flags"), 0);
  EXPECT_FALSE(static_cast<CheckBox*>(ListenerOf(form, "flags", 3)->control)->IsChecked());
  chord('Y');
  EXPECT_EQ(Value(form, "flags"), 8);
  chord('Y');
  EXPECT_EQ(Value(form, "hit_points"), 9);
}

TEST_F(StructEditTest, ClosingEverythingTakesTheHiddenContainerWindowsAlong) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  size_t listeners = form->Listeners().size();
  SelectAllAndType(static_cast<TextBox*>(ListenerOf(form, "hit_points")->control), "5");
  // Shown once, the container's window lies in front of the editor, hidden.
  Button* movement = nullptr;
  std::function<void(Window*)> walk = [&](Window* w) {
    for (Window* c = w->FirstChild(); c; c = c->NextSibling()) {
      auto* b = dynamic_cast<Button*>(c);
      if (b && b->Title() && std::string(b->Title()) == "Movement...") movement = b;
      walk(c);
    }
  };
  walk(form);
  ASSERT_TRUE(movement);
  ScrollIntoView(movement);
  steps.push_back([] {
    Window* top = TopModal()->window;
    if (!top || std::string(top->ClassName()) != "NestedContainerWindow") return false;
    top->RequestClose(0);
    return true;
  });
  ClickWindow(movement);
  Frame();
  answers = {2};  // "Save?": Cancel, so the editor stays open
  EXPECT_EQ(CloseAllWindows(), 0);
  ProcessDeferredDeletions();
  Frame();
  EXPECT_EQ(CountLayer0("TagStructEdit"), 1);
  // The container's speed box went with its window; the form still works.
  EXPECT_EQ(form->Listeners().size(), listeners - 1);
  ASSERT_TRUE(form->Undo());
  EXPECT_EQ(Value(form, "hit_points"), 120);
}

TEST_F(StructEditTest, UndoReachesWritesOfAClosedNestedForm) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  const auto* drop = static_cast<const VornStructMember*>(&M("drop"));
  const StructMember& chance = *drop->embedded->FindMember("chance");
  auto value = [&] {
    return ReadInteger(chance, form->Record() + drop->offset, drop->ElementSize(), 0);
  };
  WhenNestedOpens([&](StructEditor* nested) {
    nested->StoreInteger(chance, 0, 42);
    nested->PressOk();
  });
  EXPECT_EQ(StructEditor::OpenNested(drop->embedded, form, drop->offset, "Drop"), 1);
  EXPECT_EQ(value(), 42);
  // Back in the root form, its undo reaches the write the closed form made.
  ClickWindow(ListenerOf(form, "hit_points")->control);
  QueueKeyEvent(kKeyLeftControl, 1);
  QueueKeyEvent('Z', 1);
  QueueKeyEvent('Z', 0);
  QueueKeyEvent(kKeyLeftControl, 0);
  Frame();
  EXPECT_EQ(value(), 100);
  EXPECT_STREQ(editor->Title(), "Hill Ogre*");
}

TEST_F(StructEditTest, ArrayEditsAndCancelledFormsKeepTheUndoStackTrue) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  StructEditor* form = editor->Editor();
  const std::vector<uint8_t> original = form->RootBytes();
  SubStructArrayEdit* attacks = ArrayOf(form, "attacks");
  ScrollIntoView(attacks);
  // A nested form changes a value twice and is cancelled: nothing of it stays to be undone.
  WhenNestedOpens([&](StructEditor* nested) {
    const StructMember& damage = *nested->Definition()->FindMember("damage");
    nested->StoreInteger(damage, 0, 4);
    nested->StoreInteger(damage, 0, 45);
    nested->PressCancel();
  });
  EXPECT_FALSE(attacks->OpenRow(attacks->List()->ShownRow(1)));
  EXPECT_EQ(form->RootBytes(), original);
  EXPECT_EQ(form->UndoDepth(), 0);
  // Deleting a row is one undoable change of the record.
  attacks->List()->Select(attacks->List()->ShownRow(0), false);
  ASSERT_TRUE(attacks->DeleteSelected());
  EXPECT_EQ(Value(form, "attack_count"), 2);
  ASSERT_TRUE(form->Undo());
  EXPECT_EQ(form->RootBytes(), original);
  EXPECT_EQ(attacks->List()->ShownCount(), 3u);
  ASSERT_TRUE(form->Redo());
  EXPECT_EQ(Value(form, "attack_count"), 2);
  // An added element with a change in its form: undone change by change, back to the start.
  WhenNestedOpens([&](StructEditor* nested) {
    nested->StoreInteger(*nested->Definition()->FindMember("damage"), 0, 9);
    nested->PressOk();
  });
  ASSERT_TRUE(attacks->Add());
  EXPECT_EQ(Value(form, "attack_count"), 3);
  ASSERT_TRUE(form->Undo());  // the damage
  ASSERT_TRUE(form->Undo());  // the added element
  EXPECT_EQ(Value(form, "attack_count"), 2);
  ASSERT_TRUE(form->Undo());  // the deletion
  EXPECT_EQ(form->RootBytes(), original);
  EXPECT_FALSE(form->Undo());
}

TEST_F(StructEditTest, CancelClosesWithoutSaving) {
  TagStructEdit* editor = OpenOgre();
  ASSERT_TRUE(editor);
  SelectAllAndType(static_cast<TextBox*>(ListenerOf(editor->Editor(), "hit_points")->control), "5");
  ClickWindow(editor->Editor()->CancelButton());
  Frame();
  EXPECT_EQ(CountLayer0("TagStructEdit"), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(LooseData(FourCC("mons"), "Hill Ogre"), "<missing>");
}

// The demo game with one archived 'part' tag whose structure has the given members and frames.
class PartFormTest : public StructEditTest {
 protected:
  PartFormTest(int members, int frames, const char (&tagid)[5])
      : members_(members), frames_(frames) {
    std::memcpy(tagid_, tagid, sizeof tagid_);
  }
  void AddContent(demo::DemoGame& game) override {
    StructEditTest::AddContent(game);
    ASSERT_TRUE(TheStructRegistry().AddDefinitionText(
        demo::LargeFormDefinitionText("part", members_, frames_)));
    TheStructRegistry().BuildRegistry();
    const StructDefinition* part = TheStructRegistry().FindStructDefinition("part");
    ASSERT_TRUE(part);
    game.Archive("tags", "collections", 2)
        .tags.push_back(demo::LargeFormTag("part", tagid_, part->Size()));
  }
  int members_, frames_;
  char tagid_[5];
};

// A structure of 300 members in 20 frames, far taller than the screen.
class LargeFormTest : public PartFormTest {
 protected:
  LargeFormTest() : PartFormTest(300, 20, "big1") {}
};

TEST_F(LargeFormTest, AFormTallerThanTheScreenScrolls) {
  auto* editor = dynamic_cast<TagStructEdit*>(OpenTag(Find("part", "big1")));
  ASSERT_TRUE(editor);
  Frame();
  StructEditor* form = editor->Editor();
  EXPECT_EQ(form->Listeners().size(), 300u);
  Point screen = ScreenSize();
  Rect frame = editor->Frame();
  EXPECT_GE(frame.y0, 0);
  EXPECT_LE(frame.y1, screen.y);
  EXPECT_LE(frame.x1, screen.x);
  EXPECT_GT(form->FormSize().y, screen.y);
  // OK and Cancel stay on the screen, under the scrolling view.
  EXPECT_LE(form->OkButton()->Frame().y1, screen.y);
  auto* view = dynamic_cast<ScrollableWindow*>(form->Form()->Parent());
  ASSERT_TRUE(view);
  EXPECT_TRUE(view->HasVBar());
  EXPECT_EQ(view->VTotal(), form->Form()->Frame().Height());
  // The wheel over a label scrolls the form.
  Rect label = form->Form()->Rows()[0][0].window->Frame();
  QueueMousePosition(label.x0 + 30, label.y0 + 40);
  QueueWheel(0, -3);
  Frame();
  EXPECT_GT(view->VPos(), 0);
  // Tab walks the controls in order and scrolls the one it reaches into view.
  view->ScrollTo(0);
  ClickWindow(form->Listeners()[0]->control);
  for (int i = 0; i < 40; ++i) Tap(kKeyTab);
  Window* reached = form->Listeners()[40]->control;
  EXPECT_TRUE(reached->HasFocus());
  EXPECT_GT(view->VPos(), 0);
  EXPECT_GE(reached->Frame().y0, view->ClientRect().y0);
  EXPECT_LE(reached->Frame().y1, view->ClientRect().y1);
  // Scrolled to the end, the last member's box is in view and takes typing.
  view->ScrollTo(view->VTotal());
  Frame();
  Window* last = form->Listeners().back()->control;
  EXPECT_GE(last->Frame().y0, view->ClientRect().y0);
  EXPECT_LE(last->Frame().y1, view->ClientRect().y1);
  ClickWindow(last);
  EXPECT_TRUE(last->HasFocus());
}

// A form of 20 members on a screen only 10 pixels taller than its window needs: the window
// shows the whole form, without a scroll bar.
class FittingFormTest : public PartFormTest {
 protected:
  FittingFormTest() : PartFormTest(20, 2, "fits") {}
};

TEST_F(FittingFormTest, AFormThatFitsTheRoomIsShownWhole) {
  auto* editor = dynamic_cast<TagStructEdit*>(OpenTag(Find("part", "fits")));
  ASSERT_TRUE(editor);
  Point form = editor->Editor()->FormSize();
  const Point needed = editor->FrameSizeForClient(form.x, form.y);
  editor->Close();
  Frame();
  HandleScreenResize(800, needed.y + 10);
  editor = dynamic_cast<TagStructEdit*>(OpenTag(Find("part", "fits")));
  ASSERT_TRUE(editor);
  Frame();
  test::SaveScreenshot("struct-form-fits");
  auto* view = dynamic_cast<ScrollableWindow*>(editor->Editor()->Form()->Parent());
  ASSERT_TRUE(view);
  EXPECT_EQ(editor->ClientSize().y, form.y);
  EXPECT_FALSE(view->HasVBar());
  EXPECT_TRUE(Ui().layer0->ClientRect().Contains(editor->Frame()));
  HandleScreenResize(800, 600);
}

}  // namespace
}  // namespace brae
