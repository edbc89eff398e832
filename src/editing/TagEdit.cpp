#include "editing/TagEdit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/MessageLog.h"
#include "editing/SnapshotKeeper.h"
#include "tagstore/Codex.h"
#include "tagstore/FileStream.h"
#include "tagstore/TagGroups.h"
#include "toolkit/Input.h"
#include "toolkit/Keys.h"
#include "toolkit/MessageBox.h"
#include "toolkit/UiState.h"

namespace brae {

namespace {

// Formats a message with one name into at most 256 bytes, as the messages have always been.
std::string FormatWithName(const char* format, const std::string& name) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, name.c_str());
  return buffer;
}

}  // namespace

TagEdit::TagEdit(TagRecord* record) : Window(kTagEditFlags), record_(record) {}

// Windows deleted without closing (the whole tree at shutdown) still give up their tag; their
// snapshots stay for the next start.
TagEdit::~TagEdit() {
  if (registered_) TheCodex().RemoveTagUser(record_, kUserEditor, this);
  TheSnapshotKeeper().Unregister(this);
}

int TagEdit::HandleEvent(Window* target, EventType type, Event* event) {
  return Window::HandleEvent(target, type, event);
}

// ---- loading and saving ---------------------------------------------------------------------

int TagEdit::WriteTagData(FileStream&, TagHeader&) {
  return 0;
}

int TagEdit::ReadTagData(FileStream&, TagHeader&) {
  return 0;
}

int TagEdit::SaveTag() {
  if (!record_) return 0;
  Codex& codex = TheCodex();
  FileStream* stream = codex.BeginTagWrite(record_, &header_);
  if (!stream) return 0;
  int result = WriteTagData(*stream, header_);
  codex.EndTagWrite(record_, &header_, result != 0);
  return result;
}

int TagEdit::LoadTag() {
  if (!record_) return 0;
  Codex& codex = TheCodex();
  FileStream* stream = codex.BeginTagRead(record_, &header_);
  if (!stream) return 0;
  int result = ReadTagData(*stream, header_);
  codex.EndTagRead(record_);
  return result;
}

int TagEdit::CreateNewTag(uint32_t group, const std::string& name) {
  record_ = TheCodex().CreateTag(group, kNoSubgroup, name, &header_, false);
  return record_ != nullptr;
}

int TagEdit::DiscardChanges() {
  return 1;
}

void TagEdit::OpenEditor() {
  if (record_ && !registered_) {
    TheCodex().AddTagUser(record_, kUserEditor, this);
    registered_ = true;
  }
  TheSnapshotKeeper().Register(this);
  Rect f = ParentRelativeFrame();
  PlaceAtCascade(Point{f.Width(), f.Height()});
  SetVisible(true);
  BringToFront();
  SetFocus(0);
}

// ---- dirty marker and saving with messages --------------------------------------------------

void TagEdit::SetDirty(bool dirty) {
  dirty_ = dirty ? 1 : 0;
  if (dirty) ++changes_;
  // Clean data is on disk (saved or just loaded): a snapshot of it would only be in the way.
  if (!dirty) TheSnapshotKeeper().DropSnapshot(this);
  std::string title = header_.Name();
  if (dirty) title += "*";
  SetTitle(title.c_str());
}

void TagEdit::MarkChanged() {
  ++changes_;
  if (!dirty_) SetDirty(true);
}

// ---- snapshots ------------------------------------------------------------------------------

bool TagEdit::DescribeSnapshot(SnapshotInfo* info, SnapshotDataWriter* write) {
  if (!record_) return false;
  info->group = info->editor_group = record_->group;
  info->subgroup = info->editor_subgroup = record_->subgroup;
  info->name = info->editor_name = header_.Name();
  info->header = header_;
  *write = [this](FileStream& stream, TagHeader& header) {
    return WriteTagData(stream, header) != 0;
  };
  return true;
}

int TagEdit::LoadFromSnapshot(FileStream& stream, const SnapshotInfo& info) {
  header_ = info.header;
  return ReadTagData(stream, header_);
}

TagEdit* OpenFromSnapshot(const std::string& path) {
  Snapshot snapshot;
  std::string error;
  FileStream stream;
  if (!ReadSnapshotFile(path, &snapshot, &error) || !stream.Open(path, FileStream::kRead) ||
      !stream.Seek(kTagHeaderSize)) {
    Log(0, "Recovery", "the snapshot '%s' cannot be read (%s)\n", path.c_str(), error.c_str());
    return nullptr;
  }
  const SnapshotInfo& info = snapshot.info;
  Codex& codex = TheCodex();
  TagRecord* record = codex.FindTag(info.editor_group, info.editor_subgroup);
  if (FindOpenEditor(record)) return nullptr;  // its editor holds newer changes
  const bool exists = record && codex.HasEffectiveInstance(record);
  if (!record) {
    TagHeader created;
    record =
        codex.CreateTag(info.editor_group, info.editor_subgroup, info.editor_name, &created, false);
  }
  TagEdit* editor = record ? CreateEditorForTag(record, info.editor_group) : nullptr;
  if (!editor) {
    Log(0, "Recovery", "no editor can show the snapshot '%s'\n", path.c_str());
    return nullptr;
  }
  // An existing tag loads first: editors that save another tag than their own (the mesh
  // editor's detail map) need their own tag to show the snapshot's data.
  if ((exists && !editor->LoadTag()) || !editor->LoadFromSnapshot(stream, info)) {
    Log(0, "Recovery", "the snapshot '%s' cannot be shown in its editor\n", path.c_str());
    editor->Close();
    return nullptr;
  }
  editor->OpenEditor();
  editor->SetDirty(true);
  return editor;
}

int TagEdit::SaveWithMessages() {
  if (!SaveTag()) {
    ShowMessageBox("Error", "The save operation could not be completed.", {"OK"});
    return 0;
  }
  SetDirty(false);
  return 1;
}

// ---- closing and keys -----------------------------------------------------------------------

int TagEdit::RequestClose(int reason) {
  if (dirty_) {
    std::string question =
        FormatWithName("Do you wish to save your changes to '%s'?", header_.Name());
    int answer = ShowMessageBox("Save?", question.c_str(), {"Save", "Discard", "Cancel"});
    if (answer == 0) {
      if (!SaveWithMessages()) return 0;
    } else if (answer == 1) {
      DiscardChanges();
      TheSnapshotKeeper().DropSnapshot(this);
    } else {
      return 0;
    }
  }
  return Window::RequestClose(reason);
}

void TagEdit::WillClose() {
  if (registered_) TheCodex().RemoveTagUser(record_, kUserEditor, this);
  registered_ = false;
  // Closed by the user's choice: saved, discarded or unchanged.
  TheSnapshotKeeper().DropSnapshot(this);
  TheSnapshotKeeper().Unregister(this);
}

int TagEdit::KeyDown(Event* event) {
  if (event->Key() == 'S' && (event->Modifiers() & kModControl)) {
    if (event->Pressed()) SaveWithMessages();  // the release only ends the shortcut
    return 1;
  }
  return 0;
}

// ---- opening and creating -------------------------------------------------------------------

TagEdit* FindOpenEditor(const TagRecord* record) {
  TagUser user;
  for (size_t i = 0; record && TheCodex().FindTagUser(record, i, &user); ++i)
    if (user.kind == kUserEditor)
      return const_cast<TagEdit*>(static_cast<const TagEdit*>(user.pointer));
  return nullptr;
}

TagEdit* OpenTag(TagRecord* record) {
  if (!record) return nullptr;
  if (TagEdit* open = FindOpenEditor(record)) {
    open->BringToFront();
    open->SetFocus(0);
    return open;
  }
  TagEdit* editor = CreateEditorForTag(record, record->group);
  if (!editor) return nullptr;
  if (!editor->LoadTag()) {
    ShowMessageBox("Error", "The tag could not be loaded.", {"OK"});
    editor->Close();
    return nullptr;
  }
  editor->SetDirty(false);
  editor->OpenEditor();
  return editor;
}

TagEdit* CreateTagInteractively(uint32_t group) {
  const TagGroup* row = FindTagGroup(group);
  if (!row || !row->editor_factory) return nullptr;
  std::string prompt = FormatWithName("Enter Name for %s", row->singular);
  std::string accept = FormatWithName("Create %s", row->singular);
  std::string name;
  if (ShowInputBox(prompt.c_str(), {accept, "Cancel"}, &name) != 0) return nullptr;
  if (name.empty()) {
    ShowMessageBox("Not Created", "You must specify a name.", {"OK"});
    return nullptr;
  }
  return CreateAndOpen(group, name);
}

TagEdit* CreateAndOpen(uint32_t group, const std::string& name) {
  TagEdit* editor = CreateEditorForTag(nullptr, group);
  if (!editor) return nullptr;
  if (!editor->CreateNewTag(group, name)) {
    std::string message =
        FormatWithName("The tag file '%s' could not be created; It may already exist.", name);
    ShowMessageBox("Error", message.c_str(), {"OK"});
    editor->Close();
    return nullptr;
  }
  editor->OpenEditor();
  editor->SetDirty(true);
  return editor;
}

}  // namespace brae
