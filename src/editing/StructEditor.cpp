#include "editing/StructEditor.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "editing/MemberChangeListener.h"
#include "editing/MemberWriteAction.h"
#include "editing/RecordBytesAction.h"
#include "editing/StructCollectionCache.h"
#include "editing/SubStructArrayEdit.h"
#include "editing/Table.h"
#include "editing/structdefs/StructArrays.h"
#include "editing/structdefs/StructRegistry.h"
#include "editing/structdefs/StructValues.h"
#include "tagstore/Codex.h"
#include "tagstore/FourCC.h"
#include "toolkit/Button.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Frame.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/ListWindow.h"
#include "toolkit/ScrollableWindow.h"
#include "toolkit/TextBox.h"
#include "toolkit/UiState.h"

namespace brae {

namespace {

constexpr uint32_t kPlainFlags = kWindowVisible | kWindowEnabled;
constexpr int kLabelGap = 6;
constexpr int kModalFlags = kModalKeysToWindow | kModalMouseToWindow | kModalDim | kModalEndOnQuit;

const char* Attribute(const tinyxml2::XMLElement& e, const char* name) {
  const char* value = e.Attribute(name);
  return value ? value : "";
}

bool IsTrue(const tinyxml2::XMLElement& e, const char* name) {
  return std::strcmp(Attribute(e, name), "true") == 0;
}

int IntAttribute(const tinyxml2::XMLElement& e, const char* name, int fallback) {
  int value = fallback;
  e.QueryIntAttribute(name, &value);
  return value;
}

// A push button that runs a function.
class ActionButton : public Button {
 public:
  ActionButton(Window* parent, const std::string& label, std::function<void()> action)
      : Button(parent), action_(std::move(action)) {
    SetTitle(label.c_str());
    SizeToFit();
    Rect f = ParentRelativeFrame();
    SetFrame(Rect(f.x0, f.y0, f.x0 + f.Width(), f.y0 + StandardButtonHeight(this)));
    clicked.Connect(this, &ActionButton::Run);
  }
  const char* ClassName() const override { return "Button"; }

 private:
  void Run() {
    if (action_) action_();
  }
  std::function<void()> action_;
};

// The scrolling view around a form taller than the screen.
class FormView : public ScrollableWindow {
 public:
  explicit FormView(Window* parent) : ScrollableWindow(kPlainFlags, parent) { SetLineStep(16); }
  const char* ClassName() const override { return "ScrollableWindow"; }
  // The wheel over any part of the form scrolls it, except over windows that scroll
  // themselves (array lists, a choice whose list is open).
  int HandleEvent(Window* target, EventType type, Event* event) override {
    auto* combo = dynamic_cast<ComboBox*>(target);
    if (type == EventType::Wheel && target != this && HasVBar() &&
        !dynamic_cast<ScrollableWindow*>(target) && !(combo && combo->IsOpen())) {
      ClientWheel(event);
      return 1;
    }
    return ScrollableWindow::HandleEvent(target, type, event);
  }
  // A control that gets the focus (Tab) while scrolled out of view is scrolled into it.
  void Idle() override {
    Window* focus = Ui().focus;
    if (focus == last_focus_) return;
    last_focus_ = focus;
    if (!focus || !HasVBar() || !IsAncestorOf(focus)) return;
    Rect f = focus->Frame(), view = ClientRect();
    if (f.y0 < view.y0)
      ScrollTo(VPos() - (view.y0 - f.y0));
    else if (f.y1 > view.y1)
      ScrollTo(VPos() + std::min(f.y1 - view.y1, f.y0 - view.y0));
  }
  void VerticalScrolled(int position) override {
    if (Window* content = FirstChild()) {
      Rect f = content->ParentRelativeFrame();
      content->SetFrame(Rect(0, -position, f.Width(), f.Height() - position));
    }
    InvalidateClient();
  }

 private:
  Window* last_focus_ = nullptr;
};

// The controls of a form, for the Tab ring.
void CollectTabStops(Window* w, std::vector<Window*>* out) {
  for (Window* c = w->FirstChild(); c; c = c->NextSibling()) {
    bool control = dynamic_cast<TextBox*>(c) || dynamic_cast<ComboBox*>(c) ||
                   dynamic_cast<Button*>(c) || dynamic_cast<ListWindow*>(c);
    if (control) {
      if (c->CanFocus()) out->push_back(c);
    } else {
      CollectTabStops(c, out);
    }
  }
}

void SetTabRing(std::vector<Window*> stops) {
  // Reading order: top to bottom, then left to right.
  std::stable_sort(stops.begin(), stops.end(), [](Window* a, Window* b) {
    Rect fa = a->Frame(), fb = b->Frame();
    return fa.y0 != fb.y0 ? fa.y0 < fb.y0 : fa.x0 < fb.x0;
  });
  if (stops.size() > 1) stops.front()->SetTabOrder(stops.data(), int(stops.size()));
}

// The window of a nested "structedit" container: shown modally over the form, hidden (not
// deleted) when closed, so the container is put back for the next time.
class NestedContainerWindow : public Window {
 public:
  explicit NestedContainerWindow(StructEditor* owner) : Window(kNestedFormFlags), owner(owner) {}
  // Deleted with the whole tree (before its editor, perhaps): the editor forgets it.
  ~NestedContainerWindow() override {
    if (owner) owner->ForgetNestedWindow(this);
  }
  const char* ClassName() const override { return "NestedContainerWindow"; }
  StructEditor* owner;
  // Its close box puts it away; when no form shows it (quitting, closing everything) it
  // closes for good and its editor forgets it.
  int RequestClose(int) override {
    if (!IsOnModalStack(this)) return 1;
    EndModal(1);
    SetVisible(false);
    return 0;
  }
};

}  // namespace

// ---- construction ----------------------------------------------------------------------------

StructEditor::StructEditor(const StructDefinition* definition, Window* parent)
    : Window(kPlainFlags, parent), definition_(definition) {
  bytes_.assign(definition_->Size(), 0);
  open_editors_.push_back(this);
}

StructEditor::StructEditor(const StructDefinition* definition, StructEditor* parent_editor,
                           size_t position, uint32_t flags)
    : Window(flags), definition_(definition), parent_editor_(parent_editor) {
  base_ = parent_editor->base_ + position;
  Root()->open_editors_.push_back(this);
}

StructEditor::~StructEditor() {
  for (Window* w : nested_windows_) {
    static_cast<NestedContainerWindow*>(w)->owner = nullptr;
    w->Close();
  }
  StructCollectionCache& cache = TheStructCollectionCache();
  for (uint32_t id : collections_) cache.Release(id);
  if (parent_editor_) {
    auto& open = Root()->open_editors_;
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
  } else {
    for (StructEditor* e : open_editors_)
      if (e != this) e->parent_editor_ = nullptr, e->orphaned_ = true;
  }
}

StructEditor* StructEditor::Root() {
  StructEditor* e = this;
  while (e->parent_editor_) e = e->parent_editor_;
  return e;
}

uint8_t* StructEditor::Record() {
  if (orphaned_) return nullptr;
  return Root()->bytes_.data() + base_;
}

const uint8_t* StructEditor::Record() const {
  return const_cast<StructEditor*>(this)->Record();
}

const StructMember* StructEditor::FindTarget(const std::string& name, StructEditor** owner) {
  for (StructEditor* e = this; e; e = e->parent_editor_)
    if (const StructMember* m = e->definition_->FindMember(name)) {
      *owner = e;
      return m;
    }
  *owner = nullptr;
  return nullptr;
}

void StructEditor::ForgetNestedWindow(Window* window) {
  nested_windows_.erase(std::remove(nested_windows_.begin(), nested_windows_.end(), window),
                        nested_windows_.end());
  // Its controls go with it.
  listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(),
                                  [window](const std::unique_ptr<MemberChangeListener>& l) {
                                    return l->control && window->IsAncestorOf(l->control);
                                  }),
                   listeners_.end());
  arrays_.erase(std::remove_if(arrays_.begin(), arrays_.end(),
                               [window](SubStructArrayEdit* a) { return window->IsAncestorOf(a); }),
                arrays_.end());
}

// ---- building the form -----------------------------------------------------------------------

bool StructEditor::BuildForm() {
  const tinyxml2::XMLElement* form = TheStructRegistry().FindFormDefinition(definition_->name);
  if (!form) return false;
  return BuildFormFrom(*form);
}

bool StructEditor::BuildFormFrom(const tinyxml2::XMLElement& container) {
  if (form_) return false;
  auto* view = new FormView(this);
  form_view_ = view;
  form_ = BuildContainer(container, view);
  AddButtons();
  std::vector<Window*> stops;
  CollectTabStops(form_, &stops);
  stops.push_back(ok_);
  stops.push_back(cancel_);
  SetTabRing(stops);
  Rect f = form_->ParentRelativeFrame();
  form_size_ = Point{std::max(f.Width(), kFormOkFromRight + 8), f.Height() + kFormButtonStrip};
  Point fits = FrameSizeForClient(form_size_.x, form_size_.y);
  Rect me = ParentRelativeFrame();
  SetFrame(Rect(me.x0, me.y0, me.x0 + fits.x, me.y0 + fits.y));
  return true;
}

Table* StructEditor::BuildContainer(const tinyxml2::XMLElement& element, Window* parent) {
  TableShape shape;
  shape.has_text = element.Attribute("text") != nullptr;
  shape.text = Attribute(element, "text");
  shape.stretch = IsTrue(element, "stretch");
  std::string align = Attribute(element, "align");
  shape.align = align == "right" ? kAlignRight : align == "center" ? kAlignCenter : kAlignLeft;
  std::string layout = Attribute(element, "layout");
  shape.shared_columns = layout == "table" || IsTrue(element, "alignchildren");
  auto* table = new Table(parent, shape);

  auto add_child = [&](const tinyxml2::XMLElement& child) {
    std::string kind = child.Name();
    if (kind == "frame") {
      table->AddCell(BuildContainer(child, table), true);
    } else if (kind == "label") {
      table->AddCell(new FormLabel(table, Attribute(child, "text")), false);
    } else if (kind == "item") {
      if (Window* w = BuildItem(child, table)) table->AddCell(w, false);
    } else if (kind == "structedit") {
      table->AddCell(BuildNestedButton(child, table), false);
    }
  };

  for (const tinyxml2::XMLElement* child = element.FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    if (layout == "table") {
      if (std::strcmp(child->Name(), "row") != 0) continue;
      table->AddRow();
      for (const tinyxml2::XMLElement* cell = child->FirstChildElement(); cell;
           cell = cell->NextSiblingElement())
        add_child(*cell);
    } else {
      if (layout != "horizontal" || table->Rows().empty()) table->AddRow();
      add_child(*child);
    }
  }
  table->Arrange();
  return table;
}

Window* StructEditor::BuildItem(const tinyxml2::XMLElement& item, Window* parent) {
  StructEditor* owner = nullptr;
  const StructMember* member = FindTarget(Attribute(item, "target"), &owner);
  if (!member) return nullptr;
  std::string text = Attribute(item, "text");

  if (member->type == kMemberSubstruct) {
    const auto* sub = static_cast<const VornStructMember*>(member);
    if (!sub->embedded) return nullptr;
    StructArray array = StructArray::For(*owner->definition_, *sub);
    if (sub->count == 1 && !array.runtime_count) {
      const StructDefinition* embedded = sub->embedded;
      size_t position = sub->offset;
      return new ActionButton(parent, text, [owner, embedded, position, text] {
        OpenNested(embedded, owner, position, text);
      });
    }
    auto* list = new SubStructArrayEdit(parent, owner, sub, Attribute(item, "text_target"), text);
    arrays_.push_back(list);
    return list;
  }

  bool has_bit = item.Attribute("bit") != nullptr;
  MemberChangeListener::Kind kind;
  if (!MemberChangeListener::KindFor(*member, has_bit, &kind)) return nullptr;
  auto listener = std::make_unique<MemberChangeListener>(kind, member, owner);
  listener->name = Attribute(item, "name");
  listener->index = std::clamp(IntAttribute(item, "index", 0), 0, std::max(member->count - 1, 0));
  listener->bit = IntAttribute(item, "bit", -1);
  if (kind == MemberChangeListener::kSequenceList)
    listener->tag_member = FindTarget(Attribute(item, "tag"), &listener->tag_owner);

  Window* cell = nullptr;
  Window* holder = parent;
  if (kind != MemberChangeListener::kBitBox && !text.empty()) {
    cell = new Window(kPlainFlags, parent);
    holder = cell;
  }
  Window* control = listener->CreateControl(holder, text);
  if (cell) {
    auto* label = new FormLabel(cell, text);
    Rect lf = label->ParentRelativeFrame(), cf = control->ParentRelativeFrame();
    int height = std::max(lf.Height(), cf.Height());
    label->SetFrame(Rect(0, (height - lf.Height()) / 2, lf.Width(), (height + lf.Height()) / 2));
    int x = lf.Width() + kLabelGap;
    control->SetFrame(Rect(x, (height - cf.Height()) / 2, x + cf.Width(),
                           (height - cf.Height()) / 2 + cf.Height()));
    cell->SetFrame(Rect(0, 0, x + cf.Width(), height));
  }
  listeners_.push_back(std::move(listener));
  return cell ? cell : control;
}

Window* StructEditor::BuildNestedButton(const tinyxml2::XMLElement& element, Window* parent) {
  std::string caption = Attribute(element, "caption");
  auto* window = new NestedContainerWindow(this);
  window->SetTitle(caption.c_str());
  Table* table = BuildContainer(element, window);
  std::vector<Window*> stops;
  CollectTabStops(table, &stops);
  SetTabRing(stops);
  Rect t = table->ParentRelativeFrame();
  Point size = window->FrameSizeForClient(t.Width(), t.Height());
  window->SetFrame(Rect(0, 0, size.x, size.y));
  nested_windows_.push_back(window);
  return new ActionButton(parent, caption, [this, window] {
    if (std::find(nested_windows_.begin(), nested_windows_.end(), window) ==
            nested_windows_.end() ||
        window->IsClosed())
      return;
    window->CentreInParent();
    window->SetVisible(true);
    window->BringToFront();
    RunModal(window, kModalFlags);
    window->SetVisible(false);
    RefreshAll();
  });
}

void StructEditor::AddButtons() {
  ok_ = new ActionButton(this, "OK", [this] { PressOk(); });
  cancel_ = new ActionButton(this, "Cancel", [this] { PressCancel(); });
}

void StructEditor::PlaceForm(int width, int height) {
  if (!form_) return;
  int view_height = std::max(height - kFormButtonStrip, 0);
  Rect f = form_->ParentRelativeFrame();
  auto* view = static_cast<FormView*>(form_view_);
  view->SetFrame(Rect(0, 0, width, view_height));
  bool scrolls = f.Height() > view->ClientSize().y;
  view->SetScroll(kScrollVTotal | kScrollVPage, f.Height(), 0, scrolls ? view_height : 0);
  if (scrolls) view->SetScroll(kScrollVTotal | kScrollVPage, f.Height(), 0, view->ClientSize().y);
  int pos = view->VPos();
  form_->SetFrame(Rect(0, -pos, f.Width(), f.Height() - pos));
  int bh = StandardButtonHeight(this);
  int y = view_height + (kFormButtonStrip - bh) / 2;
  ok_->SetFrame(
      Rect(width - kFormOkFromRight, y, width - kFormOkFromRight + kFormButtonWidth, y + bh));
  cancel_->SetFrame(Rect(width - kFormCancelFromRight, y,
                         width - kFormCancelFromRight + kFormButtonWidth, y + bh));
}

void StructEditor::Layout() {
  PlaceForm(ClientSize().x, ClientSize().y);
}

// ---- OK, Cancel, nested editors --------------------------------------------------------------

void StructEditor::PressOk() {
  if (parent_editor_ || orphaned_) {
    if (IsOnModalStack(this)) EndModal(1);
    changed.Emit();
    Close();
    return;
  }
  ok_pressed.Emit();
}

void StructEditor::PressCancel() {
  // The writes of this form leave the undo stack (undone), then the snapshot is in force.
  if (parent_editor_) UndoTo(depth_at_open_);
  if (has_snapshot_ && Record())
    std::memcpy(Record(), snapshot_.data(), std::min(snapshot_.size(), RecordSize()));
  if (parent_editor_ || orphaned_) {
    if (IsOnModalStack(this)) EndModal(0);
    Close();
    if (parent_editor_) parent_editor_->RefreshAll();
    return;
  }
  cancel_pressed.Emit();
}

int StructEditor::RequestClose(int reason) {
  if (parent_editor_ || orphaned_) {
    PressCancel();  // the close box of a nested form cancels it
    return 0;
  }
  return Window::RequestClose(reason);
}

int StructEditor::OpenNested(const StructDefinition* definition, StructEditor* parent_editor,
                             size_t position, const std::string& title) {
  if (!definition || !parent_editor || position + definition->Size() > parent_editor->RecordSize())
    return 0;
  auto* nested = new StructEditor(definition, parent_editor, position, kNestedFormFlags);
  nested->snapshot_.assign(nested->Record(), nested->Record() + definition->Size());
  nested->has_snapshot_ = true;
  nested->depth_at_open_ = nested->UndoDepth();
  if (!nested->BuildForm()) {
    nested->Close();
    return 0;
  }
  nested->SetTitle(title.c_str());
  Point screen = ScreenSize();
  Rect f = nested->ParentRelativeFrame();
  int w = std::min(f.Width(), screen.x), h = std::min(f.Height(), screen.y);
  nested->SetFrame(Rect(0, 0, w, h));
  nested->CentreInParent();
  nested->SetVisible(true);
  nested->BringToFront();
  int result = RunModal(nested, kModalFlags);
  if (!nested->IsClosed()) nested->Close();
  return result == 1 ? 1 : 0;
}

// ---- writes, undo ----------------------------------------------------------------------------

bool StructEditor::StoreInteger(const StructMember& member, int index, int64_t value) {
  uint8_t* record = Record();
  if (!record || index < 0 || index >= member.count) return false;
  int32_t before = ReadInteger(member, record, RecordSize(), index);
  if (!WriteInteger(member, record, RecordSize(), index, value)) return false;
  int32_t after = ReadInteger(member, record, RecordSize(), index);
  if (before != after)
    RememberDone(new MemberWriteAction(Root(), member.type, base_ + member.offset, member.count,
                                       index, before, after));
  changed.Emit();
  if (this != Root()) Root()->changed.Emit();
  return true;
}

bool StructEditor::StoreBit(const StructMember& member, int bit, bool on) {
  uint8_t* record = Record();
  if (!record) return false;
  std::vector<uint8_t> copy(record, record + RecordSize());
  if (!WriteMemberBit(member, copy.data(), copy.size(), bit, on)) return false;
  return StoreInteger(member, 0, ReadInteger(member, copy.data(), copy.size(), 0));
}

void StructEditor::RefreshControls() {
  if (!Record()) return;
  for (auto& l : listeners_) l->Refresh();
  for (SubStructArrayEdit* a : arrays_) a->Refill();
}

void StructEditor::RefreshAll() {
  for (StructEditor* e : Root()->open_editors_) e->RefreshControls();
}

void StructEditor::ResetSequencesOf(const StructMember& tag_member, StructEditor* tag_owner) {
  for (StructEditor* e : Root()->open_editors_)
    for (auto& l : e->listeners_)
      if (l->kind == MemberChangeListener::kSequenceList && l->tag_member == &tag_member &&
          l->tag_owner == tag_owner) {
        l->FillSequences();
        l->owner->StoreInteger(*l->member, l->index, -1);
        l->Refresh();
      }
}

bool StructEditor::Undo() {
  if (!Undos().Undo()) return false;
  --Root()->undo_depth_;
  return true;
}

bool StructEditor::Redo() {
  if (!Undos().Redo()) return false;
  ++Root()->undo_depth_;
  return true;
}

void StructEditor::RememberDone(UndoableAction* action) {
  Undos().Perform(action, true);
  ++Root()->undo_depth_;
}

void StructEditor::ClearUndo() {
  Undos().Clear();
  Root()->undo_depth_ = 0;
}

void StructEditor::UndoTo(int depth) {
  while (UndoDepth() > depth && Undo()) {
  }
}

std::vector<uint8_t> StructEditor::RecordCopy() {
  const uint8_t* record = Record();
  return record ? std::vector<uint8_t>(record, record + RecordSize()) : std::vector<uint8_t>();
}

void StructEditor::RememberRecordChange(std::vector<uint8_t> before) {
  std::vector<uint8_t> after = RecordCopy();
  if (before.size() != after.size() || before == after) return;
  RememberDone(new RecordBytesAction(Root(), base_, std::move(before), std::move(after)));
}

int StructEditor::HandleEvent(Window* target, EventType type, Event* event) {
  if (type == EventType::Key && event->Pressed() && (event->Modifiers() & kModControl) &&
      (event->Key() == 'Z' || event->Key() == 'Y')) {
    event->Key() == 'Z' ? Undo() : Redo();
    return 1;
  }
  return Window::HandleEvent(target, type, event);
}

// ---- collections -----------------------------------------------------------------------------

Collection* StructEditor::CollectionById(uint32_t tag_id) {
  StructCollectionCache& cache = TheStructCollectionCache();
  if (std::find(collections_.begin(), collections_.end(), tag_id) != collections_.end())
    return cache.Find(tag_id);
  Collection* collection = cache.Acquire(tag_id);
  if (collection) collections_.push_back(tag_id);
  return collection;
}

Collection* StructEditor::CollectionFor(const StructMember* tag_member, StructEditor* owner) {
  if (!tag_member || !owner || !owner->Record()) return nullptr;
  uint32_t id = uint32_t(ReadInteger(*tag_member, owner->Record(), owner->RecordSize(), 0));
  if (tag_member->type == kMemberTag &&
      static_cast<const TagMember*>(tag_member)->group == int64_t(FourCC("core"))) {
    id = CoreCollectionId(id);
  }
  if (id == kNoSubgroup) return nullptr;
  return CollectionById(id);
}

uint32_t CoreCollectionId(uint32_t core_id) {
  Codex& codex = TheCodex();
  TagRecord* record = codex.FindTag(FourCC("core"), core_id);
  if (!record) return kNoSubgroup;
  TagHeader header;
  FileStream* stream = codex.BeginTagRead(record, &header);
  if (!stream) return kNoSubgroup;
  uint8_t bytes[4] = {};
  bool ok = header.size >= 4 && stream->Read(bytes, 4);
  codex.EndTagRead(record);
  if (!ok) return kNoSubgroup;
  return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
         bytes[3];
}

}  // namespace brae
