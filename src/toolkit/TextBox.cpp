#include "toolkit/TextBox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit/Font.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/Skin.h"
#include "toolkit/TextBoxAction.h"
#include "toolkit/TextClipboard.h"
#include "toolkit/UiState.h"

namespace brae {
namespace {

// ---- the kinds --------------------------------------------------------------------------------
struct KindRow {
  TextBoxMode mode;
  int max_length;
  bool wrap, editable, selectable;
};
constexpr KindRow kKinds[] = {
    {TextBoxMode::kMultiLine, 9999, true, false, false},
    {TextBoxMode::kMultiLine, 9999, true, false, true},
    {TextBoxMode::kInteger, 11, false, true, true},
    {TextBoxMode::kReal, 8, false, true, true},
    {TextBoxMode::kFreeText, 9999, false, true, true},
    {TextBoxMode::kSingleLine, 255, false, true, true},
    {TextBoxMode::kMultiLine, 9999, true, true, true},
};

constexpr int kMargin = 3;
constexpr double kSolidAfterChange = 0.5;
// Blinking wakes the program twice a second; a caret left alone this long stays shown instead,
// until the next key, click or focus.
constexpr double kBlinkStopsAfter = 10.0;
constexpr int kCaretWidth = 2;
constexpr double kAutoScrollInterval = 1.0 / 30.0;
constexpr uint32_t kFieldColour = 0xFF1E1C1Au;
constexpr uint32_t kTextColour = 0xFFFFFFFFu;
constexpr uint32_t kDisabledTextColour = 0xFF808080u;
constexpr uint32_t kSelectionColour = 0xFF8A5A2Eu;
constexpr uint32_t kSelectionInactiveColour = 0xFF5A5A5Au;
constexpr uint32_t kCaretColour = 0xFF60C0E0u;

bool ParseInt(const std::string& text, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end) return false;
  *out = v;
  return true;
}

bool ParseReal(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (*end || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool IsWordChar(char c) {
  return c != ' ' && c != '\t' && c != '\n' && c != '\r';
}

}  // namespace

// ---- construction and content -------------------------------------------------------------------

TextBox::TextBox(int kind, Window* parent, uint32_t flags) : Window(flags, parent) {
  const KindRow& row = kKinds[std::clamp(kind, 0, 6)];
  mode_ = row.mode;
  max_length_ = row.max_length;
  wrap_ = row.wrap;
  editable_ = row.editable;
  selectable_ = row.selectable;
  UpdateFocusable();
  SetClientCursor(5);  // text beam
  RebuildLines();
}

void TextBox::UpdateFocusable() {
  if (editable_ || selectable_)
    AddFlags(kWindowFocusable);
  else
    RemoveFlags(kWindowFocusable);
}

void TextBox::SetOptions(bool wrap, bool editable, bool selectable) {
  wrap_ = wrap;
  editable_ = editable;
  selectable_ = selectable;
  UpdateFocusable();
  RebuildLines();
  InvalidateClient();
}

void TextBox::SetText(const char* text) {
  std::string value = text ? text : "";
  if (value == text_) return;
  text_ = value;
  undo_.Clear();
  caret_ = anchor_ = std::min<int>(caret_, static_cast<int>(text_.size()));
  caret_ = anchor_ = static_cast<int>(text_.size());
  // A text set from outside shows from its start, whatever size the box has yet; the view
  // follows the caret once the caret moves.
  scroll_x_ = scroll_y_ = 0;
  RebuildLines();
  InvalidateClient();
}

void TextBox::SetInt(int value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d", value);
  SetText(buffer);
}

std::string TextBox::FormatReal(double value, int max_length) {
  char buffer[512];
  int whole = std::snprintf(buffer, sizeof buffer, "%.0f", value);
  int decimals = max_length - whole - 2;
  if (decimals < 0) return "invalid ???";
  char format[16];
  std::snprintf(format, sizeof format, "%%.%df", decimals);
  std::snprintf(buffer, sizeof buffer, format, value);
  std::string text = buffer;
  size_t point = text.find('.');
  if (point != std::string::npos) {
    size_t last = text.find_last_not_of('0');
    if (last == point) last = point + 1;  // keep one digit after the point
    text.erase(last + 1);
  }
  return text;
}

void TextBox::SetFloat(double value) {
  SetText(FormatReal(value, max_length_).c_str());
}

int TextBox::IntValue() const {
  long v = 0;
  return ParseInt(text_, &v) ? static_cast<int>(v) : 0;
}

double TextBox::RealValue() const {
  double v = 0;
  return ParseReal(text_, &v) ? v : 0.0;
}

void TextBox::SelectAll() {
  SetSelection(0, static_cast<int>(text_.size()));
}

std::string TextBox::SelectedText() const {
  return text_.substr(SelectionStart(), SelectionEnd() - SelectionStart());
}

void TextBox::SetSelection(int anchor, int caret) {
  int length = static_cast<int>(text_.size());
  anchor = std::clamp(anchor, 0, length);
  caret = std::clamp(caret, 0, length);
  if (anchor == anchor_ && caret == caret_) return;
  anchor_ = anchor;
  caret_ = caret;
  last_change_ = UiNow();
  ScrollToCaret();
  InvalidateClient();
}

// ---- primitives ---------------------------------------------------------------------------------

void TextBox::RawInsert(int at, const std::string& text) {
  if (text.empty()) return;
  at = std::clamp(at, 0, static_cast<int>(text_.size()));
  text_.insert(static_cast<size_t>(at), text);
  NoteChange();
}

void TextBox::RawErase(int from, int to) {
  int length = static_cast<int>(text_.size());
  from = std::clamp(from, 0, length);
  to = std::clamp(to, from, length);
  if (from == to) return;
  text_.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
  anchor_ = std::min(anchor_, static_cast<int>(text_.size()));
  caret_ = std::min(caret_, static_cast<int>(text_.size()));
  NoteChange();
}

void TextBox::NoteChange() {
  changed_flag_ = true;
  ++edits_;
  last_change_ = UiNow();
  RebuildLines();
  InvalidateClient();
}

// ---- the filter and the undoable edits
// ------------------------------------------------------------

bool TextBox::AcceptsInsertion(const std::string& text) const {
  int replaced = SelectionEnd() - SelectionStart();
  if (static_cast<int>(text_.size()) - replaced + static_cast<int>(text.size()) > max_length_)
    return false;
  if (mode_ == TextBoxMode::kMultiLine) return true;
  int at = SelectionStart();
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\n' || c == '\r' || c == '\t') return false;
    if (mode_ == TextBoxMode::kInteger) {
      // A minus sign only as the first character of the inserted text, landing at the start.
      bool digit = c >= '0' && c <= '9';
      bool leading_minus = c == '-' && i == 0 && at == 0;
      if (!digit && !leading_minus) return false;
    } else if (mode_ == TextBoxMode::kReal) {
      if (!std::strchr("01234567890-.", c)) return false;
    }
  }
  return true;
}

void TextBox::PerformAction(TextBoxAction* action) {
  undo_.Perform(action, false);
}

bool TextBox::Insert(const std::string& text) {
  if (!editable_ || text.empty()) return false;
  if (!AcceptsInsertion(text)) {
    Beep();
    return false;
  }
  PerformAction(new TextBoxAction(this, TextBoxAction::kInsert, 0, text));
  return true;
}

bool TextBox::TypeCharacter(char c) {
  if (!editable_) return false;
  if (!AcceptsInsertion(std::string(1, c))) {
    Beep();
    return false;
  }
  PerformAction(new TextBoxAction(this, TextBoxAction::kType, c));
  return true;
}

bool TextBox::DeleteBackward() {
  if (!editable_) return false;
  int before = edits_;
  PerformAction(new TextBoxAction(
      this, HasSelection() ? TextBoxAction::kDeleteSelection : TextBoxAction::kDeleteBackward));
  return edits_ != before;
}

bool TextBox::DeleteForward() {
  if (!editable_) return false;
  int before = edits_;
  PerformAction(new TextBoxAction(
      this, HasSelection() ? TextBoxAction::kDeleteSelection : TextBoxAction::kDeleteForward));
  return edits_ != before;
}

void TextBox::Copy() {
  if (HasSelection()) CopyTextToClipboard(SelectedText());
}

bool TextBox::Cut() {
  if (!editable_ || !HasSelection()) return false;
  Copy();
  PerformAction(new TextBoxAction(this, TextBoxAction::kDeleteSelection));
  return true;
}

bool TextBox::Paste() {
  std::string text;
  if (!editable_ || !PasteTextFromClipboard(&text) || text.empty()) return false;
  return Insert(text);
}

void TextBox::Reformat() {
  long i = 0;
  double r = 0;
  if (mode_ == TextBoxMode::kInteger && !ParseInt(text_, &i)) {
    SetInt(0);
    changed.Emit();
  } else if (mode_ == TextBoxMode::kReal && !ParseReal(text_, &r)) {
    SetFloat(0);
    changed.Emit();
  }
}

// ---- layout
// ----------------------------------------------------------------------------------------

Rect TextBox::TextArea() const {
  return Rect(kMargin, kMargin - 1, std::max(kMargin, client.Width() - kMargin),
              std::max(kMargin, client.Height() - kMargin + 1));
}

int TextBox::FullTextHeight() const {
  int lines = std::max(1, static_cast<int>(lines_.size()));
  return lines * LineHeight(this) + client.Height() - TextArea().Height();
}

void TextBox::RebuildLines() {
  lines_.clear();
  const Font* font = GetFont();
  int width = TextArea().Width();
  bool wrap = wrap_ && IsMultiLine() && width > 0 && font;
  int n = static_cast<int>(text_.size());
  int start = 0;
  while (true) {
    int x = 0, last_space = -1, i = start;
    for (; i < n && text_[i] != '\n'; ++i) {
      int next = i + 1 < n ? static_cast<uint8_t>(text_[i + 1]) : ' ';
      int advance = GlyphAdvance(font, 0, x, static_cast<uint8_t>(text_[i]), next);
      if (wrap && x + advance > width && i > start) {
        if (last_space >= start) {
          lines_.push_back({start, last_space});
          start = last_space + 1;
        } else {
          lines_.push_back({start, i});
          start = i;
        }
        i = start - 1;
        x = 0;
        last_space = -1;
        continue;
      }
      if (text_[i] == ' ' || text_[i] == '\t') last_space = i;
      x += advance;
    }
    lines_.push_back({start, i});
    if (i >= n) break;
    start = i + 1;  // past the line feed
  }
}

void TextBox::Layout() {
  RebuildLines();
  KeepScrollInRange();
}

void TextBox::KeepScrollInRange() {
  if (lines_.empty()) return;
  Rect area = TextArea();
  if (IsMultiLine()) {
    int content = static_cast<int>(lines_.size()) * std::max(1, LineHeight(this));
    scroll_y_ = std::clamp(scroll_y_, 0, std::max(0, content - area.Height()));
  } else {
    int end = XOfIndex(static_cast<int>(text_.size()));
    scroll_x_ = std::clamp(scroll_x_, 0, std::max(0, end - (area.Width() - 2)));
  }
}

int TextBox::LineOf(int index) const {
  for (size_t l = 0; l + 1 < lines_.size(); ++l)
    if (index < lines_[l + 1].start) return static_cast<int>(l);
  return static_cast<int>(lines_.size()) - 1;
}

int TextBox::XOfIndex(int index) const {
  const Line& line = lines_[LineOf(index)];
  const Font* font = GetFont();
  int x = 0;
  for (int i = line.start; i < index && i < line.end; ++i) {
    int next = i + 1 < static_cast<int>(text_.size()) ? static_cast<uint8_t>(text_[i + 1]) : ' ';
    x += GlyphAdvance(font, 0, x, static_cast<uint8_t>(text_[i]), next);
  }
  return x;
}

int TextBox::IndexAtX(int line_index, int x) const {
  const Line& line = lines_[std::clamp(line_index, 0, static_cast<int>(lines_.size()) - 1)];
  const Font* font = GetFont();
  int pen = 0;
  for (int i = line.start; i < line.end; ++i) {
    int next = i + 1 < static_cast<int>(text_.size()) ? static_cast<uint8_t>(text_[i + 1]) : ' ';
    int advance = GlyphAdvance(font, 0, pen, static_cast<uint8_t>(text_[i]), next);
    if (x <= pen) return i;
    if (x < pen + advance) return x > pen + advance / 2 ? i + 1 : i;
    pen += advance;
  }
  return line.end;
}

int TextBox::IndexAtPoint(int x, int y) const {
  Rect area = TextArea();
  int lx = x - client.x0 - area.x0 + scroll_x_;
  int ly = y - client.y0 - area.y0 + scroll_y_;
  int lh = std::max(1, LineHeight(this));
  int line = IsMultiLine() ? (ly < 0 ? -1 : ly / lh) : 0;
  if (line < 0) return lines_.front().start;
  if (line >= static_cast<int>(lines_.size())) return static_cast<int>(text_.size());
  return IndexAtX(line, lx);
}

void TextBox::ScrollToCaret() {
  if (lines_.empty()) return;
  Rect area = TextArea();
  int lh = std::max(1, LineHeight(this));
  if (IsMultiLine()) {
    scroll_x_ = 0;
    int top = LineOf(caret_) * lh;
    if (top < scroll_y_) scroll_y_ = top;
    if (top + lh > scroll_y_ + area.Height()) scroll_y_ = top + lh - area.Height();
    scroll_y_ = std::max(0, scroll_y_);
  } else {
    scroll_y_ = 0;
    int x = XOfIndex(caret_);
    int w = std::max(1, area.Width() - 2);
    if (x < scroll_x_) scroll_x_ = std::max(0, x - w / 4);
    if (x > scroll_x_ + w) scroll_x_ = x - w;
  }
}

// ---- keys
// --------------------------------------------------------------------------------------------

void TextBox::MoveCaret(int index, bool extend) {
  SetSelection(extend ? anchor_ : index, index);
  // A key or click that leaves the caret where it was still brings it into view.
  int keep_x = scroll_x_, keep_y = scroll_y_;
  ScrollToCaret();
  if (keep_x != scroll_x_ || keep_y != scroll_y_) InvalidateClient();
}

int TextBox::KeyDown(Event* e) {
  NoteInput();
  if (!e->words[1] || !IsEnabled()) {
    if (!e->words[1] && e->Key() == kKeyEnter && editable_ && !IsMultiLine()) {
      enter.Emit(0);
      return 1;
    }
    return 0;
  }
  int key = e->Key(), mods = e->words[2];
  bool control = mods & kModControl, shift = mods & kModShift;
  bool can_select = selectable_ || editable_;
  int before = edits_;
  int length = static_cast<int>(text_.size());
  int line = LineOf(caret_);
  int lh = std::max(1, LineHeight(this));
  int page_lines = std::max(1, TextArea().Height() / lh - 1);
  bool keep_x = false;
  bool handled = true;
  if (control && key == 'A') {
    if (can_select) SelectAll();
  } else if (control && key == 'C') {
    Copy();
  } else if (control && key == 'V') {
    Paste();
  } else if (control && key == 'X') {
    Cut();
  } else if (control && key == 'Z') {
    if (editable_) undo_.Undo();
  } else if (control && key == 'Y') {
    if (editable_) undo_.Redo();
  } else if (key == kKeyTab) {
    if (editable_) TypeCharacter('\t');
  } else if (key == kKeyBackspace) {
    DeleteBackward();
  } else if (key == kKeyDelete) {
    DeleteForward();
  } else if (key == kKeyEnter) {
    if (editable_ && !IsMultiLine())
      enter.Emit(1);
    else if (editable_)
      TypeCharacter('\n');
    else
      handled = false;
  } else if (!can_select) {
    handled = false;
  } else if (key == kKeyHome) {
    MoveCaret(lines_[line].start, shift);
  } else if (key == kKeyEnd) {
    MoveCaret(lines_[line].end, shift);
  } else if (key == kKeyUp || key == kKeyDown || key == kKeyPageUp || key == kKeyPageDown) {
    int step = (key == kKeyUp || key == kKeyDown) ? 1 : page_lines;
    int dir = (key == kKeyUp || key == kKeyPageUp) ? -1 : 1;
    if (!IsMultiLine()) {
      MoveCaret(dir < 0 ? 0 : length, shift);
    } else {
      if (desired_x_ < 0) desired_x_ = XOfIndex(caret_);
      int target = line + dir * step;
      if (target < 0)
        MoveCaret(0, shift);
      else if (target >= static_cast<int>(lines_.size()))
        MoveCaret(length, shift);
      else
        MoveCaret(IndexAtX(target, desired_x_), shift);
      keep_x = true;
    }
  } else if (key == kKeyLeft) {
    if (HasSelection() && !shift)
      MoveCaret(SelectionStart(), false);
    else
      MoveCaret(std::max(0, caret_ - 1), shift);
  } else if (key == kKeyRight) {
    if (HasSelection() && !shift)
      MoveCaret(SelectionEnd(), false);
    else
      MoveCaret(std::min(length, caret_ + 1), shift);
  } else {
    handled = false;
  }
  if (!keep_x) desired_x_ = -1;
  if (edits_ != before) changed.Emit();
  return handled ? 1 : 0;
}

void TextBox::CharTyped(Event* e) {
  NoteInput();
  int code = e->Code();
  if (!editable_ || !IsEnabled() || code < 0x20 || code > 0xFF) return;
  if (e->words[2] & kModControl) return;  // Control+letter is a command, not a character
  int before = edits_;
  TypeCharacter(static_cast<char>(code));
  desired_x_ = -1;
  if (edits_ != before) changed.Emit();
}

// ---- focus
// -------------------------------------------------------------------------------------------

Window* TextBox::FocusGained(Window*, int) {
  last_change_ = last_input_ = UiNow();
  InvalidateClient();
  return nullptr;
}

void TextBox::FocusLost(Window*, int) {
  selecting_ = false;
  if (editable_) Reformat();
  InvalidateClient();
}

// ---- mouse
// ---------------------------------------------------------------------------------------------

void TextBox::ClientMouseButton(Event* e) {
  NoteInput();
  if (!e->words[5] || e->Button() != 0 || !(selectable_ || editable_)) return;
  int index = IndexAtPoint(e->X(), e->Y());
  MoveCaret(index, (e->Modifiers() & kModShift) != 0);
  desired_x_ = -1;
  if (BeginMouseTracking(this, nullptr, nullptr)) selecting_ = true;
}

void TextBox::ClientDoubleClick(Event* e) {
  if (!(selectable_ || editable_)) return;
  int index = IndexAtPoint(e->X(), e->Y());
  int from = index, to = index, n = static_cast<int>(text_.size());
  while (from > 0 && IsWordChar(text_[from - 1])) --from;
  while (to < n && IsWordChar(text_[to])) ++to;
  SetSelection(from, to);
}

void TextBox::AutoScroll(int x, int y) {
  double now = UiNow();
  if (now - last_auto_scroll_ < kAutoScrollInterval) return;
  bool outside = !client.Contains(x, y);
  if (!outside) return;
  last_auto_scroll_ = now;
  int lh = std::max(1, LineHeight(this));
  if (IsMultiLine()) {
    if (y < client.y0) scroll_y_ = std::max(0, scroll_y_ - lh);
    if (y > client.y1) {
      int content = static_cast<int>(lines_.size()) * lh;
      scroll_y_ = std::max(0, std::min(scroll_y_ + lh, content - TextArea().Height()));
    }
  } else {
    int step = std::max(8, TextArea().Width() / 8);
    if (x < client.x0) scroll_x_ = std::max(0, scroll_x_ - step);
    if (x > client.x1) {
      int end = XOfIndex(static_cast<int>(text_.size()));
      scroll_x_ = std::max(0, std::min(scroll_x_ + step, end - TextArea().Width() + 2));
    }
  }
  InvalidateClient();
}

void TextBox::TrackMouse(int, int, int x, int y, int phase) {
  if (phase == 0) return;
  if (phase == 2) {
    selecting_ = false;
    return;
  }
  AutoScroll(x, y);
  int keep_x = scroll_x_, keep_y = scroll_y_;
  SetSelection(anchor_, IndexAtPoint(x, y));
  // The drag decides the scrolling while it runs, not the caret.
  if (scroll_x_ != keep_x || scroll_y_ != keep_y) {
    scroll_x_ = keep_x;
    scroll_y_ = keep_y;
  }
}

void TextBox::ClientWheel(Event* e) {
  if (!IsMultiLine()) return;
  int lh = std::max(1, LineHeight(this));
  int content = static_cast<int>(lines_.size()) * lh;
  int delta = (e->WheelTo() - e->WheelFrom()) * lh * 3;
  scroll_y_ = std::clamp(scroll_y_ - delta, 0, std::max(0, content - TextArea().Height()));
  InvalidateClient();
}

// ---- idle and drawing
// ----------------------------------------------------------------------------

bool TextBox::CaretVisibleAt(double now) const {
  if (Ui().focus != this || !editable_ || !selectable_) return false;
  if (now - last_change_ < kSolidAfterChange || now - last_input_ >= kBlinkStopsAfter) return true;
  return static_cast<long long>(std::floor(now * 2.0)) % 2 == 0;
}

void TextBox::Idle() {
  if (selecting_ && IsMouseTracking()) {
    Point mouse = MousePosition();
    if (!client.Contains(mouse.x, mouse.y)) {
      int keep_x = scroll_x_, keep_y = scroll_y_;
      AutoScroll(mouse.x, mouse.y);
      if (keep_x != scroll_x_ || keep_y != scroll_y_) {
        SetSelection(anchor_, IndexAtPoint(mouse.x, mouse.y));
        InvalidateClient();
      }
      RequestFrameAt(last_auto_scroll_ + kAutoScrollInterval);  // keeps scrolling while held
    }
  }
  double now = UiNow();
  if (CaretVisibleAt(now) != caret_drawn_) InvalidateCaret();
  double change = NextCaretChange(now);
  if (change > now) RequestFrameAt(change);
}

double TextBox::NextCaretChange(double now) const {
  if (Ui().focus != this || !editable_ || !selectable_) return 0;
  if (now - last_change_ < kSolidAfterChange) return last_change_ + kSolidAfterChange;
  const double stop = last_input_ + kBlinkStopsAfter;
  if (now >= stop) return 0;
  return std::min(stop, (std::floor(now * 2.0) + 1.0) / 2.0);
}

void TextBox::NoteInput() {
  const double now = UiNow();
  // A caret that had stopped blinking starts again from its solid phase, never with a flicker.
  if (now - last_input_ >= kBlinkStopsAfter) last_change_ = now;
  last_input_ = now;
}

Rect TextBox::CaretRect() const {
  Rect area = TextArea();
  int lh = std::max(1, LineHeight(this));
  int x = area.x0 - scroll_x_ + XOfIndex(caret_);
  int y = area.y0 + LineOf(caret_) * lh - scroll_y_;
  return Rect(x, y, x + kCaretWidth, y + lh);
}

void TextBox::InvalidateCaret() {
  // Only the caret's few pixels change; where it was drawn and where it goes now (the same
  // place unless something that redraws the whole box moved it).
  for (Rect r : {drawn_caret_, CaretRect()}) {
    r = r.Offset(client.x0, client.y0).Intersection(client);
    if (!r.IsEmpty()) brae::Invalidate(this, r, false);
  }
}

void TextBox::DrawContent() {
  Rect r(0, 0, client.Width(), client.Height());
  if (editable_) {
    Skin* skin = Ui().skin;
    if (skin && skin->Image(kSkinTextField)) {
      skin->QueueNineSlice(kSkinTextField, 2, 0, 0, r.x1, r.y1);
      skin->FlushSprites();
    } else {
      SetColor(kFieldColour);
      FillRect(r);
    }
  }
  Rect area = TextArea();
  int lh = std::max(1, LineHeight(this));
  bool focused = Ui().focus == this;
  int sel_from = SelectionStart(), sel_to = SelectionEnd();
  const Font* font = GetFont();
  for (size_t l = 0; l < lines_.size(); ++l) {
    int y = area.y0 + static_cast<int>(l) * lh - scroll_y_;
    if (y + lh < 0) continue;
    if (y > r.y1) break;
    const Line& line = lines_[l];
    int x0 = area.x0 - scroll_x_;
    // Selection behind the text.
    int a = std::max(sel_from, line.start), b = std::min(sel_to, line.end);
    bool past_end = sel_to > line.end && sel_from <= line.end && l + 1 < lines_.size();
    if (a < b || past_end) {
      int xa = x0 + XOfIndex(std::max(a, line.start));
      int xb = x0 + XOfIndex(b < a ? a : b) + (past_end ? 4 : 0);
      SetColor(focused ? kSelectionColour : kSelectionInactiveColour);
      FillRect(Rect(xa, y, xb, y + lh));
    }
    SetColor(IsEnabled() ? kTextColour : kDisabledTextColour);
    std::string segment = text_.substr(line.start, line.end - line.start);
    if (segment.find('|') == std::string::npos) {
      DrawText(this, segment.c_str(), x0, y, 0);
    } else {
      // Bars are shown as typed, never as style switches: draw one character at a time.
      int pen = 0;
      for (int i = line.start; i < line.end; ++i) {
        char one[2] = {text_[i], 0};
        DrawText(this, one, x0 + pen, y, 0);
        int next =
            i + 1 < static_cast<int>(text_.size()) ? static_cast<uint8_t>(text_[i + 1]) : ' ';
        pen += GlyphAdvance(font, 0, pen, static_cast<uint8_t>(text_[i]), next);
      }
    }
  }
  caret_drawn_ = CaretVisibleAt(UiNow());
  if (caret_drawn_) {
    drawn_caret_ = CaretRect();
    SetColor(kCaretColour);
    FillRect(drawn_caret_);
  }
}

}  // namespace brae
