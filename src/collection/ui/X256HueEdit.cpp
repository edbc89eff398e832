#include "collection/ui/X256HueEdit.h"

#include <cstdlib>
#include <string>

#include "collection/Collection.h"
#include "collection/HueChangeOperations.h"
#include "collection/SequenceOperations.h"
#include "collection/ui/ColorBar.h"
#include "collection/ui/X256HueBrowser.h"
#include "toolkit/CheckBox.h"
#include "toolkit/ColorButton.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Keys.h"
#include "toolkit/TextBox.h"
#include "toolkit/UndoStack.h"

namespace brae {

namespace {

constexpr uint32_t kHueEditFlags = kWindowEnabled | kWindowTitleBar | kWindowShadow |
                                   kWindowThickBorder | kWindowCloseBox | kWindowCollapseBox |
                                   kWindowFocusable | kWindowGreyBackground;
constexpr int kClientWidth = 400;
constexpr int kMargin = 10;
constexpr int kRowHeight = 28;
constexpr int kFieldX = 150;
constexpr int kHueColumnWidth = 130;
constexpr uint32_t kLabelColour = 0xFFE0E0E0u;
constexpr const char* kHueLabels[] = {"Start Hue:", "Median Hue:", "End Hue:"};

int RowY(int row) {
  return kMargin + row * kRowHeight;
}

// Rows of the form, top to bottom.
enum FormRow {
  kNameRow,
  kRangeLabelRow,
  kBarRow,
  kSaturationRow,
  kHuesRow,
  kUseAsRow,
  kReversedRow,
  kReplacementRow,
  kSolidRow,
  kRowCount
};

void Place(Window* w, int x, int y) {
  const Rect f = w->ParentRelativeFrame();
  w->SetFrame(Rect(x, y, x + f.Width(), y + f.Height()));
}

// Toolkit colours: red in the low byte.
uint32_t PackColour(const PaletteColor& c) {
  return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16;
}

}  // namespace

X256HueEdit::X256HueEdit(X256HueBrowser* browser, size_t index)
    : Window(kHueEditFlags), browser_(browser), index_(index) {
  const int box_height = LineHeight(this) + 8;
  name_ = new TextBox(kTextSingleLine, this);
  name_->SetMaxLength(int(kItemNameLength));
  name_->SetFrame(
      Rect(kFieldX, RowY(kNameRow), kClientWidth - kMargin, RowY(kNameRow) + box_height));
  name_->enter.Connect(this, &X256HueEdit::OnNameEntered);
  name_->focus_lost_signal.Connect(this, &X256HueEdit::OnNameFocusLost);

  bar_ = new ColorBar(this);
  Place(bar_, (kClientWidth - kColorBarWidth) / 2, RowY(kBarRow));
  bar_->moved.Connect(this, &X256HueEdit::OnBarMoved);
  bar_->drag_ended.Connect(this, &X256HueEdit::OnBarDragEnded);

  saturation_ = new TextBox(kTextInteger, this);
  saturation_->SetMaxLength(5);
  saturation_->SetFrame(
      Rect(kFieldX, RowY(kSaturationRow), kFieldX + 60, RowY(kSaturationRow) + box_height));
  saturation_->enter.Connect(this, &X256HueEdit::OnSaturationEntered);
  saturation_->focus_lost_signal.Connect(this, &X256HueEdit::OnSaturationFocusLost);

  use_as_ = new ComboBox(this, 0);
  use_as_->SetFrame(Rect(kFieldX, RowY(kUseAsRow), kFieldX + 160, RowY(kUseAsRow) + box_height));
  for (int i = 0; i < 3; ++i) use_as_->AddItem(kUseAsChoices[i], i);
  use_as_->item_chosen.Connect(this, &X256HueEdit::OnUseAsChosen);

  auto check = [this](const char* title, int row) {
    auto* box = new CheckBox(this);
    box->SetTitle(title);
    box->SizeToFit();
    Place(box, kMargin, RowY(row));
    return box;
  };
  reversed_ = check("Reversed Hue Change", kReversedRow);
  reversed_->clicked.Connect(this, &X256HueEdit::OnReversedClicked);
  replacement_ = check("Replacement Color:", kReplacementRow);
  replacement_->clicked.Connect(this, &X256HueEdit::OnReplacementClicked);
  solid_ = check("Replace with Solid Color", kSolidRow);
  solid_->clicked.Connect(this, &X256HueEdit::OnReplacementClicked);
  colour_ = new ColorButton(this);
  colour_->SetFrame(
      Rect(kFieldX + 60, RowY(kReplacementRow), kFieldX + 100, RowY(kReplacementRow) + 18));
  colour_->colour_changed.Connect(this, &X256HueEdit::OnColourChanged);

  const Point size = FrameSizeForClient(kClientWidth, RowY(kRowCount));
  PlaceAtCascade(size);
  Refresh();
  SetVisible(true);
  BringToFront();
  SetFocus(0);
}

X256HueEdit::~X256HueEdit() {
  if (!reported_closed_) closed.Emit(this);
}

void X256HueEdit::WillClose() {
  reported_closed_ = true;
  closed.Emit(this);
}

void X256HueEdit::Detach() {
  browser_ = nullptr;
  if (!IsClosed()) Close();
}

const HueChange* X256HueEdit::Record() const {
  return browser_ ? browser_->GetCollection()->HueChangeAt(index_) : nullptr;
}

std::string X256HueEdit::HueText(int which) const {
  const HueChange* h = Record();
  if (!h || which < 0 || which > 2) return std::string();
  const HueMarker marker[] = {HueMarker::kStart, HueMarker::kMedian, HueMarker::kEnd};
  // During a drag the bar shows hues the record gets only when the drag is over.
  const HueChange& shown = bar_->Dragging() != HueMarker::kNone ? bar_->Current() : *h;
  return std::to_string(HueDegrees(MarkerHue(shown, marker[which]))) + kDegreeSign;
}

void X256HueEdit::Refresh() {
  const HueChange* h = Record();
  if (!h) return;
  refreshing_ = true;
  const std::string name = HueChangeName(*h);
  SetTitle(name.c_str());
  // Text being typed stays until it is confirmed, unless the name itself changed.
  if (!name_->HasFocus() || name != shown_name_) name_->SetText(name.c_str());
  shown_name_ = name;
  if (bar_->Dragging() == HueMarker::kNone) bar_->SetHueChange(*h);
  saturation_->SetInt(MinSaturationPercent(h->min_saturation));
  if (h->use_as <= 2) {
    use_as_->SelectValue(h->use_as);
  } else {  // a value without a choice shows as its number
    use_as_->List()->selected = -1;
    use_as_->SetText(std::to_string(h->use_as).c_str());
  }
  reversed_->SetChecked(h->flags & 1);
  replacement_->SetChecked(ReplacementOn(*h));
  // The solid box keeps its own state while the replacement is off.
  if (ReplacementOn(*h)) solid_->SetChecked(ReplacementSolid(*h));
  colour_->SetColour(PackColour(ReplacementColour(*h)));
  refreshing_ = false;
  Invalidate();
}

void X256HueEdit::DrawContent() {
  SetColor(kLabelColour);
  const int text_dy = 4;
  DrawText(this, "Name:", kMargin, RowY(kNameRow) + text_dy, kTextShadow);
  DrawText(this, "Affected Hue Range:", kMargin, RowY(kRangeLabelRow) + text_dy, kTextShadow);
  DrawText(this, "Min % Saturation:", kMargin, RowY(kSaturationRow) + text_dy, kTextShadow);
  for (int i = 0; i < 3; ++i) {
    const std::string text = std::string(kHueLabels[i]) + " " + HueText(i);
    DrawText(this, text.c_str(), kMargin + i * kHueColumnWidth, RowY(kHuesRow) + text_dy,
             kTextShadow);
  }
  DrawText(this, "Use As:", kMargin, RowY(kUseAsRow) + text_dy, kTextShadow);
}

int X256HueEdit::KeyDown(Event* event) {
  if ((event->Key() == 'Z' || event->Key() == 'Y') && (event->Modifiers() & kModControl)) {
    UndoStack* undo = browser_ ? browser_->Undos() : nullptr;
    if (event->Pressed() && undo) event->Key() == 'Z' ? undo->Undo() : undo->Redo();
    return 1;
  }
  return Window::KeyDown(event);
}

// ---- edits ----------------------------------------------------------------------------------

void X256HueEdit::StoreName() {
  const HueChange* h = Record();
  if (refreshing_ || !h) return;
  if (name_->Text() != HueChangeName(*h)) browser_->ApplyRename(index_, name_->Text());
}

void X256HueEdit::OnNameEntered(int pressed) {
  if (pressed) StoreName();
}

void X256HueEdit::OnNameFocusLost(int) {
  StoreName();
}

void X256HueEdit::StoreSaturation() {
  const HueChange* h = Record();
  if (refreshing_ || !h) return;
  const std::string& text = saturation_->Text();
  if (text.empty() || text == "-") {
    Refresh();  // nothing entered: the stored value shows again
    return;
  }
  HueChange after = *h;
  after.min_saturation = MinSaturationFromPercent(std::atoi(text.c_str()));
  if (after.min_saturation != h->min_saturation)
    StoreFields(after);
  else
    Refresh();
}

void X256HueEdit::OnSaturationEntered(int pressed) {
  if (pressed) StoreSaturation();
}

void X256HueEdit::OnSaturationFocusLost(int) {
  StoreSaturation();
}

void X256HueEdit::StoreFields(const HueChange& after) {
  if (browser_) browser_->ApplyFields(index_, after);
  Refresh();
}

void X256HueEdit::OnUseAsChosen(int value) {
  const HueChange* h = Record();
  if (refreshing_ || !h || value < 0 || value > 2) return;
  HueChange after = *h;
  after.use_as = uint16_t(value);
  StoreFields(after);
}

void X256HueEdit::OnReversedClicked() {
  const HueChange* h = Record();
  if (refreshing_ || !h) return;
  HueChange after = *h;
  after.flags = uint16_t(reversed_->IsChecked() ? (after.flags | 1) : (after.flags & ~1));
  StoreFields(after);
}

void X256HueEdit::OnReplacementClicked() {
  const HueChange* h = Record();
  if (refreshing_ || !h) return;
  HueChange after = *h;
  after.replacement_mode = ReplacementMode(replacement_->IsChecked(), solid_->IsChecked());
  StoreFields(after);
}

void X256HueEdit::OnColourChanged(int colour) {
  const HueChange* h = Record();
  if (refreshing_ || !h) return;
  HueChange after = *h;
  SetReplacementColour(&after, uint8_t(colour & 0xFF), uint8_t((colour >> 8) & 0xFF),
                       uint8_t((colour >> 16) & 0xFF));
  StoreFields(after);
}

void X256HueEdit::OnBarMoved() {
  if (browser_) browser_->PreviewHues(index_, bar_->Current());
  InvalidateClient();
}

void X256HueEdit::OnBarDragEnded() {
  if (browser_) browser_->ApplyHueDrag(index_, bar_->DragStart(), bar_->Current());
  Refresh();
}

}  // namespace brae
