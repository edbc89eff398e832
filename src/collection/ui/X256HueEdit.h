#pragma once
// The editor of one hue change: "Name:", the colour bar under "Affected Hue Range:",
// "Min % Saturation:", the start, median and end hues, "Use As:", "Reversed Hue Change",
// "Replacement Color:" with its colour button and "Replace with Solid Color". It names its hue
// change by index (kept up to date by the hue browser, which opened it) and hands every edit to
// the browser, which keeps it as one undo action.

#include <cstddef>
#include <string>

#include "collection/CollectionRecords.h"
#include "toolkit/Window.h"

namespace brae {

class CheckBox;
class ColorBar;
class ColorButton;
class ComboBox;
class TextBox;
class X256HueBrowser;

// "Use As:" choices.
constexpr const char* kUseAsChoices[] = {"None", "Primary Color", "Secondary Color"};

class X256HueEdit : public Window {
 public:
  X256HueEdit(X256HueBrowser* browser, size_t index);
  ~X256HueEdit() override;
  const char* ClassName() const override { return "X256HueEdit"; }
  void WillClose() override;
  void DrawContent() override;
  // Control+Z and Control+Y undo and redo on the collection editor's stack (a focused text
  // box undoes its own typing first).
  int KeyDown(Event* event) override;

  size_t Index() const { return index_; }
  void SetIndex(size_t index) { index_ = index; }
  // The record shown (none once the browser is gone).
  const HueChange* Record() const;
  // Shows the record's values in every control and the title.
  void Refresh();
  // The browser is going away or the hue change was removed: the window closes.
  void Detach();

  TextBox* NameBox() const { return name_; }
  ColorBar* Bar() const { return bar_; }
  TextBox* SaturationBox() const { return saturation_; }
  ComboBox* UseAsChoice() const { return use_as_; }
  CheckBox* ReversedBox() const { return reversed_; }
  CheckBox* ReplacementBox() const { return replacement_; }
  ColorButton* ColourButton() const { return colour_; }
  CheckBox* SolidBox() const { return solid_; }
  // The "Start Hue:", "Median Hue:" and "End Hue:" values as shown, "%d" and the degree sign.
  std::string HueText(int which) const;

  Signal<X256HueEdit*> closed;

 private:
  void OnNameEntered(int pressed);
  void OnNameFocusLost(int reason);
  void OnSaturationEntered(int pressed);
  void OnSaturationFocusLost(int reason);
  void OnUseAsChosen(int value);
  void OnReversedClicked();
  void OnReplacementClicked();
  void OnColourChanged(int colour);
  void OnBarMoved();
  void OnBarDragEnded();
  void StoreName();
  void StoreSaturation();
  void StoreFields(const HueChange& after);

  X256HueBrowser* browser_;
  size_t index_;
  TextBox* name_ = nullptr;
  ColorBar* bar_ = nullptr;
  TextBox* saturation_ = nullptr;
  ComboBox* use_as_ = nullptr;
  CheckBox* reversed_ = nullptr;
  CheckBox* replacement_ = nullptr;
  ColorButton* colour_ = nullptr;
  CheckBox* solid_ = nullptr;
  std::string shown_name_;  // the name the record had at the last refresh
  bool refreshing_ = false;
  bool reported_closed_ = false;
};

}  // namespace brae
