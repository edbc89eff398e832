#pragma once
// Text boxes: single-line, multi-line and numeric fields with a caret, a selection, an undo
// stack of TextBoxActions, a character filter and the clipboard.
//
// Index
//   kinds and modes ........ TextBoxKind, TextBoxMode
//   TextBox: content ....... SetText, Text, SetInt, SetFloat, SelectAll, SetOptions
//   TextBox: editing ....... Insert, DeleteBackward, DeleteForward, Cut, Copy, Paste (undoable)
//   TextBox: primitives .... RawInsert, RawErase, SetSelection (used by TextBoxAction)
//   TextBox: events ........ KeyDown, CharTyped, mouse selection with auto-scroll, caret blink

#include <string>
#include <vector>

#include "core/Prefs.h"
#include "toolkit/UndoStack.h"
#include "toolkit/Window.h"

namespace brae {

// Constructor kinds: mode, maximum length, wrap, editable and selectable (see the table in
// TextBox.cpp).
enum TextBoxKind : int {
  kTextStatic = 0,        // multi-line, read only
  kTextSelectable = 1,    // multi-line, read only, selectable
  kTextInteger = 2,       // integer field
  kTextReal = 3,          // real number field
  kTextFree = 4,          // free text, one line
  kTextSingleLine = 5,    // one line of at most 255 characters
  kTextMultiLineEdit = 6  // multi-line editor
};

enum class TextBoxMode { kMultiLine, kInteger, kReal, kFreeText, kSingleLine };

class TextBox : public Window, public ControlValueTarget {
 public:
  TextBox(int kind, Window* parent, uint32_t flags = kWindowVisible | kWindowEnabled);
  const char* ClassName() const override { return "TextBox"; }

  // ---- content ----
  void SetText(const char* text);
  const std::string& Text() const { return text_; }
  void SetInt(int value);
  // Fits the value into the maximum length (see FormatReal); "invalid ???" when it cannot.
  void SetFloat(double value);
  int IntValue() const;
  double RealValue() const;
  void SelectAll();
  void SetMaxLength(int length) { max_length_ = length; }
  int MaxLength() const { return max_length_; }
  void SetOptions(bool wrap, bool editable, bool selectable);
  TextBoxMode Mode() const { return mode_; }
  bool IsEditable() const { return editable_; }
  bool IsSelectable() const { return selectable_; }
  bool IsMultiLine() const { return mode_ == TextBoxMode::kMultiLine; }
  bool Changed() const { return changed_flag_; }
  void ClearChanged() { changed_flag_ = false; }

  // ---- selection ----
  int Caret() const { return caret_; }
  int Anchor() const { return anchor_; }
  int SelectionStart() const { return std::min(anchor_, caret_); }
  int SelectionEnd() const { return std::max(anchor_, caret_); }
  bool HasSelection() const { return anchor_ != caret_; }
  std::string SelectedText() const;
  // Clamped to the text; scrolls the caret into view.
  void SetSelection(int anchor, int caret);

  // ---- editing through the undo stack (the filter applies; a rejection beeps) ----
  bool Insert(const std::string& text);
  bool TypeCharacter(char c);
  bool DeleteBackward();
  bool DeleteForward();
  void Copy();
  bool Cut();
  bool Paste();
  UndoStack& Undos() { return undo_; }

  // ---- primitives without filter or undo (for TextBoxAction) ----
  void RawInsert(int at, const std::string& text);
  void RawErase(int from, int to);

  // Whether the filter lets the text replace the current selection.
  bool AcceptsInsertion(const std::string& text) const;

  // Real formatting with the given maximum length, as SetFloat shows it.
  static std::string FormatReal(double value, int max_length);

  // ---- ControlValueTarget ----
  std::string GetControlText() const override { return text_; }
  void SetControlText(const std::string& text) override { SetText(text.c_str()); }

  // ---- Window ----
  int KeyDown(Event* event) override;
  void CharTyped(Event* event) override;
  void ClientMouseButton(Event* event) override;
  void ClientDoubleClick(Event* event) override;
  void TrackMouse(int start_x, int start_y, int x, int y, int phase) override;
  void FocusLost(Window* new_focus, int reason) override;
  Window* FocusGained(Window* old_focus, int reason) override;
  void Idle() override;
  void Layout() override;
  void DrawContent() override;
  void ClientWheel(Event* event) override;

  // Caret visibility at time now (focus, solid after a change, then a 1 s blink, and solid
  // again once the box has had no key, click or focus for a while).
  bool CaretVisibleAt(double now) const;
  // When the caret next appears or disappears (0: it does not blink now).
  double NextCaretChange(double now) const;
  // The caret's rectangle, client-local.
  Rect CaretRect() const;
  // Character index nearest to a screen point.
  int IndexAtPoint(int x, int y) const;
  // The client height that shows every line of the text at the current width.
  int FullTextHeight() const;
  int ScrollX() const { return scroll_x_; }
  int ScrollY() const { return scroll_y_; }

  Signal<> changed;
  Signal<int> enter;  // 1 on press, 0 on release

 private:
  struct Line {
    int start = 0, end = 0;  // [start, end) without the line break
  };
  void RebuildLines();
  int LineOf(int index) const;
  int XOfIndex(int index) const;  // pixels from the line start
  int IndexAtX(int line, int x) const;
  Rect TextArea() const;  // client-local
  // Never scrolls further than the text needs (after a change of size).
  void KeepScrollInRange();
  void ScrollToCaret();
  void MoveCaret(int index, bool extend);
  void NoteChange();
  void InvalidateCaret();
  void NoteInput();
  void Reformat();
  void AutoScroll(int x, int y);
  void PerformAction(class TextBoxAction* action);
  void UpdateFocusable();

  std::string text_;
  TextBoxMode mode_ = TextBoxMode::kSingleLine;
  int max_length_ = 255;
  bool wrap_ = false, editable_ = true, selectable_ = true;
  bool changed_flag_ = false;
  int caret_ = 0, anchor_ = 0;
  int desired_x_ = -1;  // kept while moving up and down
  int scroll_x_ = 0, scroll_y_ = 0;
  std::vector<Line> lines_;
  UndoStack undo_;
  double last_change_ = -1e9;
  double last_input_ = -1e9;  // the last key, click or focus
  bool caret_drawn_ = false;
  Rect drawn_caret_;  // client-local
  bool selecting_ = false;
  double last_auto_scroll_ = -1e9;
  int edits_ = 0;  // bumped by every change of the text, to emit `changed` once per key
};

}  // namespace brae
