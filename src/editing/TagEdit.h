#pragma once
// The base of every tag editor: a top-level window bound to one tag record, with loading and
// saving through the Codex's read and write brackets, the dirty marker in the title, the save
// question on closing and Control+S.

#include <cstdint>
#include <string>

#include "tagstore/Snapshot.h"
#include "tagstore/TagHeader.h"
#include "toolkit/Window.h"

namespace brae {

class FileStream;
class TagRecord;

// Enabled, title bar, drop shadow, thick border, resizable, background, close, zoom and
// collapse boxes; not visible until OpenEditor.
constexpr uint32_t kTagEditFlags = kWindowEnabled | kWindowTitleBar | kWindowShadow |
                                   kWindowThickBorder | kWindowResizable | kWindowWhiteBackground |
                                   kWindowCloseBox | kWindowZoomBox | kWindowCollapseBox;

class TagEdit : public Window {
 public:
  explicit TagEdit(TagRecord* record);
  ~TagEdit() override;

  // ---- Window operations ----
  const char* ClassName() const override { return "TagEdit"; }
  int HandleEvent(Window* target, EventType type, Event* event) override;
  int RequestClose(int reason) override;
  void WillClose() override;
  int KeyDown(Event* event) override;

  // ---- TagEdit operations, in slot order ----
  virtual int WriteTagData(FileStream& stream, TagHeader& header);
  virtual int SaveTag();
  virtual int ReadTagData(FileStream& stream, TagHeader& header);
  virtual int LoadTag();
  virtual int CreateNewTag(uint32_t group, const std::string& name);
  virtual int DiscardChanges();
  virtual void OpenEditor();

  // ---- Snapshots of unsaved data (SnapshotKeeper) ----
  // What a snapshot holds: the tag a save writes and the writer of its data; false when the
  // editor keeps no snapshots. The base snapshots its own tag through WriteTagData.
  virtual bool DescribeSnapshot(SnapshotInfo* info, SnapshotDataWriter* write);
  // Takes the data of a snapshot described by info; the stream stands at the data. The base
  // reads it as the tag's own data (ReadTagData).
  virtual int LoadFromSnapshot(FileStream& stream, const SnapshotInfo& info);
  // True during a gesture (a painted stroke); no snapshot is taken then.
  virtual bool InGesture() const { return false; }

  // Sets the dirty flag (and the title) and clears it; every SetDirty(true) counts as a change.
  void SetDirty(bool dirty);
  // A change to the data: counts it and marks the editor dirty when it is not yet.
  void MarkChanged();
  uint64_t ChangeCount() const { return changes_; }
  bool IsDirty() const { return dirty_ != 0; }
  // SaveTag with the failure message; clears the dirty flag on success.
  int SaveWithMessages();
  TagRecord* Record() const { return record_; }
  const TagHeader& Header() const { return header_; }

 protected:
  int dirty_ = 0;
  TagRecord* record_ = nullptr;  // not owned
  TagHeader header_;

 private:
  bool registered_ = false;  // the 'edit' user of record_
  uint64_t changes_ = 0;
};

// The editor of a record: the existing one brought to the front, or a new, loaded one.
TagEdit* OpenTag(TagRecord* record);
// Asks for a name and creates a tag of the group; none when cancelled or refused.
TagEdit* CreateTagInteractively(uint32_t group);
TagEdit* CreateAndOpen(uint32_t group, const std::string& name);
// The editor registered as the record's 'edit' user, or none.
TagEdit* FindOpenEditor(const TagRecord* record);
// Opens the editor of a snapshot's tag with the snapshot's data, marked dirty; a tag that no
// longer exists becomes a new tag of the snapshot's group, subgroup and name. None (after a log
// line) when the snapshot cannot be shown.
TagEdit* OpenFromSnapshot(const std::string& path);

}  // namespace brae
