#pragma once
// One generated form over one record of a structure definition: the containers and controls
// built from the structure's "structedit" definition, OK and Cancel, and the writes of every
// change straight into the record's bytes. The root editor owns the record and the undo stack;
// a nested editor (an embedded structure, opened modally) works on bytes inside its parent's
// record and restores its snapshot on Cancel.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editing/structdefs/StructDefinition.h"
#include "toolkit/UndoStack.h"
#include "toolkit/Window.h"

namespace tinyxml2 {
class XMLElement;
}

namespace brae {

class Button;
class Collection;
class MemberChangeListener;
class SubStructArrayEdit;
class Table;

// OK and Cancel: 96 pixels wide in a strip 32 pixels high under the form, OK 208 and Cancel
// 104 pixels left of the right edge.
constexpr int kFormButtonWidth = 96;
constexpr int kFormButtonStrip = 32;
constexpr int kFormOkFromRight = 208;
constexpr int kFormCancelFromRight = 104;

// The window flags of a nested form.
constexpr uint32_t kNestedFormFlags = kWindowEnabled | kWindowTitleBar | kWindowShadow |
                                      kWindowThickBorder | kWindowWhiteBackground | kWindowCloseBox;

class StructEditor : public Window {
 public:
  // The root editor: a record of the definition's size, owned.
  StructEditor(const StructDefinition* definition, Window* parent);
  // A nested editor on the bytes at `position` of the parent editor's record.
  StructEditor(const StructDefinition* definition, StructEditor* parent_editor, size_t position,
               uint32_t flags);
  ~StructEditor() override;
  const char* ClassName() const override { return "StructEditor"; }
  int HandleEvent(Window* target, EventType type, Event* event) override;
  int RequestClose(int reason) override;
  void Layout() override;

  // Builds the form of the structure's "structedit" definition; false when there is none.
  bool BuildForm();
  // Builds the form from a given container element (a nested "structedit" of a form).
  bool BuildFormFrom(const tinyxml2::XMLElement& container);

  // Runs a nested editor on the embedded record modally: 1 after OK, 0 after Cancel.
  static int OpenNested(const StructDefinition* definition, StructEditor* parent_editor,
                        size_t position, const std::string& title);

  // ---- the record ----
  const StructDefinition* Definition() const { return definition_; }
  uint8_t* Record();
  const uint8_t* Record() const;
  size_t RecordSize() const { return definition_->Size(); }
  // Where this editor's record starts in the root editor's record.
  size_t Base() const { return base_; }
  StructEditor* ParentEditor() const { return parent_editor_; }
  StructEditor* Root();
  std::vector<uint8_t>& RootBytes() { return Root()->bytes_; }
  const std::vector<uint8_t>& Snapshot() const { return snapshot_; }

  // The member named `name`, searched in this structure first and then outward through the
  // editors that opened it; `owner` receives the editor whose record holds it.
  const StructMember* FindTarget(const std::string& name, StructEditor** owner);

  // ---- writes (each one undoable, then "changed") ----
  // Stores the value through the integer writer (truncated to the member's width).
  bool StoreInteger(const StructMember& member, int index, int64_t value);
  bool StoreBit(const StructMember& member, int bit, bool on);
  // After a change of bytes that no control made (undo, array edits): every control shows
  // the record again, in this editor and every open editor of the same root.
  void RefreshAll();
  void RefreshControls();
  // The tag member changed: every "sequence_index" item that lists its collection goes back
  // to -1 and lists the new collection.
  void ResetSequencesOf(const StructMember& tag_member, StructEditor* tag_owner);

  // The collection of a "sequence_index" item whose "tag" member is given (loaded through the
  // shared cache and recorded for release), or none.
  Collection* CollectionFor(const StructMember* tag_member, StructEditor* owner);
  Collection* CollectionById(uint32_t tag_id);
  const std::vector<uint32_t>& HeldCollections() const { return collections_; }

  UndoStack& Undos() { return Root()->undo_; }
  bool Undo();
  bool Redo();
  // Puts a change that is already made on the undo stack.
  void RememberDone(UndoableAction* action);
  // The number of changes on the undo stack that are done; UndoTo undoes back to one.
  int UndoDepth() { return Root()->undo_depth_; }
  void UndoTo(int depth);
  void ClearUndo();
  // The bytes of this editor's record, to be remembered before an array edit.
  std::vector<uint8_t> RecordCopy();
  // Remembers an array edit of this editor's record (the bytes before it are given).
  void RememberRecordChange(std::vector<uint8_t> before);

  // ---- the form ----
  Table* Form() const { return form_; }
  Button* OkButton() const { return ok_; }
  Button* CancelButton() const { return cancel_; }
  const std::vector<std::unique_ptr<MemberChangeListener>>& Listeners() const { return listeners_; }
  const std::vector<SubStructArrayEdit*>& Arrays() const { return arrays_; }
  // Open nested editors of this root (the root included), innermost last.
  const std::vector<StructEditor*>& OpenEditors() const { return open_editors_; }
  // The client size the form and its buttons need.
  Point FormSize() const { return form_size_; }
  // Places the form (scrolled by `scroll_y`) and the buttons in a client area of this size.
  void PlaceForm(int width, int height);

  // A window of a nested "structedit" container is being deleted: its controls are forgotten.
  void ForgetNestedWindow(Window* window);

  Signal<> changed;
  Signal<> ok_pressed;
  Signal<> cancel_pressed;

  // Runs the OK and Cancel behaviours (also what the buttons do).
  void PressOk();
  void PressCancel();

 private:
  Table* BuildContainer(const tinyxml2::XMLElement& element, Window* parent);
  Window* BuildItem(const tinyxml2::XMLElement& item, Window* parent);
  Window* BuildNestedButton(const tinyxml2::XMLElement& element, Window* parent);
  void AddButtons();

  const StructDefinition* definition_;
  std::vector<uint8_t> bytes_;  // the root's record
  StructEditor* parent_editor_ = nullptr;
  size_t base_ = 0;
  std::vector<uint8_t> snapshot_;
  bool has_snapshot_ = false;
  Table* form_ = nullptr;
  Window* form_view_ = nullptr;  // the scrolling view around the form
  Button* ok_ = nullptr;
  Button* cancel_ = nullptr;
  Point form_size_;
  std::vector<std::unique_ptr<MemberChangeListener>> listeners_;
  std::vector<SubStructArrayEdit*> arrays_;
  std::vector<uint32_t> collections_;
  std::vector<StructEditor*> open_editors_;  // kept by the root
  std::vector<Window*> nested_windows_;      // of nested "structedit" containers
  UndoStack undo_;
  int undo_depth_ = 0;
  int depth_at_open_ = 0;  // a nested editor's Cancel undoes back to it
  bool orphaned_ = false;  // the root was deleted first (the whole tree at shutdown)
};

// The collection id that a 'core' tag names: the first 32-bit field of its data, or
// 0xFFFFFFFF when the tag or its data is missing.
uint32_t CoreCollectionId(uint32_t core_id);

}  // namespace brae
