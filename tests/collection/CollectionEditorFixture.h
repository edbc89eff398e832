#pragma once
// The base of the collection editor's window tests: a demo game with the demo collections, the
// collection editor registered and no double click pending from an earlier test.
#include "collection/ui/X256Edit.h"
#include "editing/EditingFixture.h"

namespace brae {
namespace test {

class CollectionEditorTest : public EditingTest {
 protected:
  void AddContent(demo::DemoGame& game) override { demo::AddCollectionsDemo(game); }
  void SetUp() override {
    EditingTest::SetUp();
    if (IsSkipped()) return;
    RegisterCollectionEditor();
    Ui().last_button_time = Ui().last_double_click_time = -100.0;
  }
  static Point Centre(const Rect& r) { return Point{(r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2}; }
};

}  // namespace test
}  // namespace brae
