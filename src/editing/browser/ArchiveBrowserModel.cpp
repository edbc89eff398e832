#include "editing/browser/ArchiveBrowserModel.h"

// Index
//   columns ............................. kTagTreeColumns, FormatTagColumn
//   items ............................... ArchiveItem, TagItem
//   start, archive lists, working set ... Start, RebuildArchiveLists, Apply, MoveSelection
//   tag tree ............................ RebuildTagTree, UpdateItem, VisibleGroups, filter
//   commands ............................ Open ... ToggleHiddenGroups
//   listener ............................ OnCodexEvent

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "core/Prefs.h"
#include "tagstore/ByteOrder.h"
#include "tagstore/TagGroups.h"

namespace brae {

namespace {

constexpr uint32_t kCollectionGroup = FourCC(".256");
constexpr uint32_t kMeshGroup = FourCC("mesh");
constexpr uint32_t kDetailMapGroup = FourCC("dmap");
constexpr uint32_t kUnpackableFlag = 0x100;
constexpr uint32_t kLargeCollectionSize = 0x120000;
constexpr uint16_t kFirstEditableMeshVersion = 11;
constexpr int kFoundationKind = 3;
const char* const kWorkingSetKey = "CodexWorkingSet";

bool GroupHasEditor(uint32_t group) {
  const TagGroup* row = FindTagGroup(group);
  return row && row->editor_factory;
}

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

char LowerChar(char c) {
  return char(std::tolower(static_cast<unsigned char>(c)));
}

// The filter's key without allocating: the lower-case name, a newline, the lower-case tagid.
void FillFilterKey(const TagHeader& header, uint32_t subgroup, char (&key)[40]) {
  size_t n = 0;
  for (size_t i = 0; i < sizeof header.name && header.name[i]; ++i)
    key[n++] = LowerChar(header.name[i]);
  key[n++] = '\n';
  // A zero byte in a tagid becomes one no typed filter holds.
  for (char c : FourCCToString(subgroup)) key[n++] = c ? LowerChar(c) : '\x7f';
  key[n] = 0;
}

std::string Printf(const char* format, const std::string& text) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, text.c_str());
  return buffer;
}

}  // namespace

// ---- Columns

const TagTreeColumn kTagTreeColumns[kTagTreeColumnCount] = {
    {"Identifier", "%d", ColumnKind::kInteger, 2, 96, false},
    {"Flags", "%d", ColumnKind::kInteger, 1, 96, false},
    {"Type", "%d", ColumnKind::kInteger, 1, 96, false},
    {"Name", "%s", ColumnKind::kText, 32, 256, true},
    {"Group", "%s", ColumnKind::kFourChars, 4, 64, false},
    {"Tag", "%s", ColumnKind::kFourChars, 4, 64, true},
    {"Offset", "%d", ColumnKind::kInteger, 4, 96, false},
    {"Size", "%d", ColumnKind::kInteger, 4, 96, true},
    {"User", "0x%x", ColumnKind::kInteger, 4, 64, true},
    {"Vers.", "%d", ColumnKind::kInteger, 2, 48, true},
    {"Foundation Index", "%d", ColumnKind::kInteger, 1, 96, false},
    {"Owner Index", "%d", ColumnKind::kInteger, 1, 96, false},
    {"Game", "%s", ColumnKind::kFourChars, 4, 64, true},
    {"Location", "%s", ColumnKind::kText, 64, 256, true},
};

int TagColumnOffset(int column) {
  int offset = 0;
  for (int i = 0; i < column && i < kTagTreeColumnCount; ++i) offset += kTagTreeColumns[i].bytes;
  return offset;
}

int TagColumnSortPriority(int column) {
  if (column < 0 || column >= kTagTreeColumnCount || !kTagTreeColumns[column].shown) return -1;
  int priority = 0;
  for (int i = 0; i < column; ++i) priority += kTagTreeColumns[i].shown ? 1 : 0;
  return priority;
}

namespace {

// Integers are read in host order at their offset, as the row holds them; identifier and
// version are signed and unsigned 16-bit as the header declares them.
int64_t ColumnInteger(const TagRow& row, int column) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&row) + TagColumnOffset(column);
  switch (kTagTreeColumns[column].bytes) {
    case 1:
      return bytes[0];
    case 2: {
      uint16_t v;
      std::memcpy(&v, bytes, 2);
      return column == 0 ? int64_t(int16_t(v)) : int64_t(v);
    }
    default: {
      uint32_t v;
      std::memcpy(&v, bytes, 4);
      return v;
    }
  }
}

std::string ColumnText(const TagRow& row, int column) {
  const auto* bytes = reinterpret_cast<const char*>(&row) + TagColumnOffset(column);
  const int size = kTagTreeColumns[column].bytes;
  if (kTagTreeColumns[column].kind == ColumnKind::kFourChars) {
    uint32_t code;
    std::memcpy(&code, bytes, 4);
    return FourCCToString(code);
  }
  return std::string(bytes, strnlen(bytes, size_t(size)));
}

}  // namespace

std::string FormatTagColumn(const TagRow& row, int column) {
  if (column < 0 || column >= kTagTreeColumnCount) return {};
  const TagTreeColumn& c = kTagTreeColumns[column];
  if (c.kind != ColumnKind::kInteger) return Printf(c.format, ColumnText(row, column));
  char buffer[32];
  int64_t value = ColumnInteger(row, column);
  if (std::strcmp(c.format, "0x%x") == 0)
    std::snprintf(buffer, sizeof buffer, "0x%x", unsigned(value));
  else
    std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(value));
  return buffer;
}

namespace {

// Rows sort by the shown columns in their order: name, tag, size, user, version, game,
// location. Compared field by field without building texts (100,000 rows sort often).
template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (a > b ? 1 : 0);
}

bool RowLess(const TagItem* a, const TagItem* b) {
  const TagRow& x = a->row;
  const TagRow& y = b->row;
  int order = strncmp(x.header.name, y.header.name, sizeof x.header.name);
  if (!order) order = Order(x.header.subgroup, y.header.subgroup);
  if (!order) order = Order(x.header.size, y.header.size);
  if (!order) order = Order(x.header.user_data, y.header.user_data);
  if (!order) order = Order(x.header.version, y.header.version);
  if (!order) order = Order(x.header.signature, y.header.signature);
  if (!order) order = strncmp(x.location, y.location, sizeof x.location);
  if (order) return order < 0;
  return a->record->subgroup < b->record->subgroup;
}

}  // namespace

// ---- Items

std::string ArchiveItem::Label() const {
  switch (special) {
    case SpecialArchive::kLocal:
      return "local";
    case SpecialArchive::kFoundation:
      return "foundation";
    case SpecialArchive::kCombined:
      return "combined";
    case SpecialArchive::kNone:
      break;
  }
  return archive ? archive->file_name : std::string();
}

Colour TagItem::TextColour() const {
  Colour c = has_local ? Colour{255, 144, 0} : Colour{255, 255, 255};
  if (dimmed) c = Colour{uint8_t(c.r >> 1), uint8_t(c.g >> 1), uint8_t(c.b >> 1)};
  return c;
}

// ---- Start, archive lists and the working set

ArchiveBrowserModel::ArchiveBrowserModel(Codex& codex, Prefs& prefs, BrowserUi& ui)
    : codex_(codex), prefs_(prefs), ui_(ui) {
  codex_.SetCodexListener(&ArchiveBrowserModel::Listener, this, true);
}

ArchiveBrowserModel::~ArchiveBrowserModel() {
  StopListening();
}

void ArchiveBrowserModel::StopListening() {
  codex_.SetCodexListener(&ArchiveBrowserModel::Listener, this, false);
}

void ArchiveBrowserModel::Start() {
  std::vector<std::string> names;
  if (prefs_.GetStringList(kWorkingSetKey, &names)) {
    std::vector<ArchiveRecord*> chosen;
    for (size_t i = 0; i < codex_.ArchiveCount(); ++i) {
      ArchiveRecord* archive = codex_.ArchiveAt(i);
      if (std::find(names.begin(), names.end(), archive->file_name) != names.end())
        chosen.push_back(archive);
    }
    ChangeActiveSet([&] { codex_.SetActiveArchives(chosen); });
  } else {
    ChangeActiveSet([&] { codex_.ActivateDefaultWorkingSet(); });
  }
  RebuildArchiveLists();
  Apply();
}

void ArchiveBrowserModel::RebuildArchiveLists() {
  active_.clear();
  inactive_.clear();
  for (size_t i = 0; i < codex_.ArchiveCount(); ++i) {
    ArchiveRecord* archive = codex_.ArchiveAt(i);
    ArchiveItem item;
    item.archive = archive;
    (archive->active ? active_ : inactive_).push_back(item);
  }
  for (SpecialArchive special :
       {SpecialArchive::kLocal, SpecialArchive::kFoundation, SpecialArchive::kCombined}) {
    ArchiveItem item;
    item.special = special;
    item.selected = special == SpecialArchive::kCombined;
    active_.push_back(item);
  }
  ++lists_version_;
}

std::vector<ArchiveRecord*> ArchiveBrowserModel::ActiveListArchives() const {
  std::vector<ArchiveRecord*> out;
  for (const ArchiveItem& item : active_)
    if (item.archive) out.push_back(item.archive);
  return out;
}

void ArchiveBrowserModel::SaveWorkingSet() {
  std::vector<std::string> names;
  for (size_t i = 0; i < codex_.ArchiveCount(); ++i) {
    ArchiveRecord* archive = codex_.ArchiveAt(i);
    if (archive->active) names.push_back(archive->file_name);
  }
  prefs_.SetStringList(kWorkingSetKey, names);
}

void ArchiveBrowserModel::Apply() {
  std::vector<ArchiveRecord*> active = ActiveListArchives();
  ChangeActiveSet([&] { codex_.SetActiveArchives(active); });
  SaveWorkingSet();
  SortListsByArchiveOrder();
  RebuildTagTree();
}

// After the active set changed the Codex re-sorts its archives; the lists follow that order
// (the special items stay at the end of the active list).
void ArchiveBrowserModel::SortListsByArchiveOrder() {
  std::map<const ArchiveRecord*, size_t> position;
  for (size_t i = 0; i < codex_.ArchiveCount(); ++i) position[codex_.ArchiveAt(i)] = i;
  auto order = [&](const ArchiveItem& a, const ArchiveItem& b) {
    if (!a.archive || !b.archive) return a.archive && !b.archive;
    return position[a.archive] < position[b.archive];
  };
  std::stable_sort(active_.begin(), active_.end(), order);
  std::stable_sort(inactive_.begin(), inactive_.end(), order);
  ++lists_version_;
}

void ArchiveBrowserModel::SetActiveSelection(const std::vector<bool>& selected) {
  for (size_t i = 0; i < active_.size(); ++i)
    active_[i].selected = i < selected.size() && selected[i];
  RebuildTagTree();
}

void ArchiveBrowserModel::SetInactiveSelection(const std::vector<bool>& selected) {
  for (size_t i = 0; i < inactive_.size(); ++i)
    inactive_[i].selected = i < selected.size() && selected[i];
}

void ArchiveBrowserModel::DefaultWorkingSet() {
  ChangeActiveSet([&] { codex_.ActivateDefaultWorkingSet(); });
  RebuildArchiveLists();
  Apply();
}

bool ArchiveBrowserModel::CanMoveSelection(bool from_active) const {
  for (const ArchiveItem& item : from_active ? active_ : inactive_)
    if (item.selected && item.archive) return true;
  return false;
}

void ArchiveBrowserModel::EnsureSelectionInActive() {
  for (const ArchiveItem& item : active_)
    if (item.selected) return;
  for (ArchiveItem& item : active_)
    if (item.special == SpecialArchive::kCombined) item.selected = true;
}

void ArchiveBrowserModel::MoveSelection(bool from_active) {
  std::vector<ArchiveItem>& from = from_active ? active_ : inactive_;
  std::vector<ArchiveItem>& to = from_active ? inactive_ : active_;
  std::vector<ArchiveItem> moving;
  for (auto it = from.begin(); it != from.end();) {
    if (it->selected && it->archive) {
      moving.push_back(*it);
      it = from.erase(it);
    } else {
      ++it;
    }
  }
  if (moving.empty()) return;
  // Archives land before the special items of the active list.
  auto insert_at = std::find_if(to.begin(), to.end(), [](const ArchiveItem& i) {
    return i.special != SpecialArchive::kNone;
  });
  to.insert(insert_at, moving.begin(), moving.end());
  EnsureSelectionInActive();
  Apply();
}

bool ArchiveBrowserModel::CanDisassemble(bool from_active) const {
  int count = 0;
  for (const ArchiveItem& item : from_active ? active_ : inactive_)
    if (item.selected && item.archive) ++count;
  return count == 1;
}

void ArchiveBrowserModel::Disassemble(bool from_active) {
  if (!CanDisassemble(from_active)) return;
  ArchiveRecord* archive = nullptr;
  for (const ArchiveItem& item : from_active ? active_ : inactive_)
    if (item.selected && item.archive) archive = item.archive;
  std::string folder;
  if (!ui_.ChooseFolder("Choose Destination Folder", &folder)) return;
  codex_.UnpackArchive(archive, folder);
}

void ArchiveBrowserModel::AddArchives(const std::vector<std::string>& paths) {
  std::vector<ArchiveRecord*> active = codex_.ActiveArchives();
  adding_archives_ = true;
  for (const std::string& path : paths)
    if (ArchiveRecord* archive = codex_.AddArchive(path)) active.push_back(archive);
  adding_archives_ = false;
  ChangeActiveSet([&] { codex_.SetActiveArchives(active); });
  RebuildArchiveLists();
  Apply();
}

void ArchiveBrowserModel::ChangeActiveSet(const std::function<void()>& change) {
  changing_active_set_ = true;
  change();
  changing_active_set_ = false;
}

// ---- Tag tree

bool ArchiveBrowserModel::IsShown(const TagRecord* record) const {
  if (!codex_.HasEffectiveInstance(record)) return false;
  return show_hidden_groups_ || GroupHasEditor(record->group) || record->group == kDetailMapGroup;
}

void ArchiveBrowserModel::CollectSelectedRecords(std::vector<TagRecord*>* out) const {
  // The index lists each record once; archives (several foundation ones, say) and several
  // selected items may name one twice.
  size_t sources = 0;
  bool from_index = true;
  for (const ArchiveItem& item : active_) {
    if (!item.selected) continue;
    ++sources;
    from_index = from_index && (item.special == SpecialArchive::kCombined ||
                                item.special == SpecialArchive::kLocal);
  }
  const bool unique = sources == 1 && from_index;
  std::unordered_set<TagRecord*> seen;
  std::vector<TagRecord*> list;
  for (const ArchiveItem& item : active_) {
    if (!item.selected) continue;
    list.clear();
    switch (item.special) {
      case SpecialArchive::kLocal:
        codex_.ListLocalTags(&list);
        break;
      case SpecialArchive::kCombined:
        codex_.ListTags(&list);
        break;
      case SpecialArchive::kFoundation:
        for (size_t i = 0; i < codex_.ArchiveCount(); ++i) {
          ArchiveRecord* archive = codex_.ArchiveAt(i);
          if (archive->header.kind != kFoundationKind) continue;
          for (auto& instance : archive->instances) list.push_back(instance->record);
        }
        break;
      case SpecialArchive::kNone:
        for (auto& instance : item.archive->instances) list.push_back(instance->record);
        break;
    }
    for (TagRecord* record : list)
      if (record && (unique || seen.insert(record).second)) out->push_back(record);
  }
}

// Whether a record belongs to what the selected items of the active list collect.
bool ArchiveBrowserModel::IsCollected(const TagRecord* record) const {
  for (const ArchiveItem& item : active_) {
    if (!item.selected) continue;
    switch (item.special) {
      case SpecialArchive::kLocal:
        if (record->local) return true;
        break;
      case SpecialArchive::kCombined:
        return true;
      case SpecialArchive::kFoundation:
        for (const TagInstance* instance : record->instances)
          if (instance->archive && instance->archive->header.kind == kFoundationKind) return true;
        break;
      case SpecialArchive::kNone:
        for (const TagInstance* instance : record->instances)
          if (instance->archive == item.archive) return true;
        break;
    }
  }
  return false;
}

void ArchiveBrowserModel::RebuildTagTree() {
  std::vector<TagRecord*> collected;
  CollectSelectedRecords(&collected);
  // Items not collected this time go; marking avoids a set of 100,000 pointers.
  const uint64_t mark = ++rebuild_mark_;
  for (TagRecord* record : collected) {
    if (!IsShown(record)) continue;
    TagItem& item = items_[record];
    item.record = record;
    item.mark = mark;
    FillItem(item);
  }
  for (auto it = items_.begin(); it != items_.end();)
    it = it->second.mark == mark ? std::next(it) : items_.erase(it);
  TreeChanged();
}

void ArchiveBrowserModel::FillItem(TagItem& item) {
  TagRecord* record = item.record;
  const TagInstance* instance = codex_.GetEffectiveInstance(record);
  if (instance)
    item.row.header = instance->header;
  else
    codex_.GetEffectiveHeader(record, &item.row.header);
  std::memset(item.row.location, 0, sizeof item.row.location);
  std::strncpy(item.row.location, Codex::LocationNameOf(instance), sizeof item.row.location - 1);
  item.has_local = record->local != nullptr;
  item.dimmed = ComputeDimmed(item);
  FillFilterKey(item.row.header, record->subgroup, item.filter_key);
}

bool ArchiveBrowserModel::ComputeDimmed(TagItem& item) {
  TagHeader& header = item.row.header;
  if (header.group == kCollectionGroup) {
    if (header.user_data == 0 && header.size >= kLargeCollectionSize) {
      // The flag word of a large collection lives in its data, not in the header.
      TagHeader stored;
      if (FileStream* stream = codex_.BeginTagRead(item.record, &stored)) {
        uint8_t bytes[8];
        if (stream->Read(bytes, sizeof bytes))
          header.user_data = (uint32_t(bytes[4]) << 24) | (uint32_t(bytes[5]) << 16) |
                             (uint32_t(bytes[6]) << 8) | uint32_t(bytes[7]);
        codex_.EndTagRead(item.record);
      }
    }
    return (header.user_data & kUnpackableFlag) != 0;
  }
  if (header.group == kMeshGroup) return header.version < kFirstEditableMeshVersion;
  return !GroupHasEditor(header.group);
}

void ArchiveBrowserModel::UpdateItem(TagRecord* record) {
  if (!IsShown(record) || !IsCollected(record)) {
    RemoveItem(record);
    return;
  }
  auto existing = items_.find(record);
  if (existing != items_.end()) {
    // Rows sort by name and then by the tagid, which is unique within a group: a row whose
    // name stays keeps its place and is refreshed where it stands.
    std::string old_name = existing->second.row.header.Name();
    FillItem(existing->second);
    if (existing->second.row.header.Name() == old_name) {
      changed_rows_.push_back(record);
      return;
    }
    TreeChanged();
    return;
  }
  TagItem& item = items_[record];
  item.record = record;
  FillItem(item);
  TreeChanged();
}

std::vector<const TagRecord*> ArchiveBrowserModel::TakeChangedRows() {
  std::vector<const TagRecord*> out;
  out.swap(changed_rows_);
  return out;
}

void ArchiveBrowserModel::RemoveItem(const TagRecord* record) {
  if (items_.erase(record)) {
    changed_rows_.erase(std::remove(changed_rows_.begin(), changed_rows_.end(), record),
                        changed_rows_.end());
    TreeChanged();
  }
}

void ArchiveBrowserModel::TreeChanged() {
  groups_dirty_ = true;
  order_dirty_ = true;
  ++tree_version_;
}

TagItem* ArchiveBrowserModel::FindItem(const TagRecord* record) {
  auto it = items_.find(record);
  return it == items_.end() ? nullptr : &it->second;
}

void ArchiveBrowserModel::SetFilter(const std::string& text) {
  std::string lower = Lower(text);
  if (lower == filter_) return;
  filter_ = lower;
  groups_dirty_ = true;
  ++tree_version_;
}

// The sorted order is worked out when items change; a new filter only picks from it.
void ArchiveBrowserModel::SortItems() {
  sorted_.clear();
  for (auto& [record, item] : items_) sorted_[record->group].push_back(&item);
  for (auto& [group, tags] : sorted_) std::sort(tags.begin(), tags.end(), RowLess);
  order_dirty_ = false;
}

const std::vector<GroupView>& ArchiveBrowserModel::VisibleGroups() {
  if (order_dirty_) SortItems();
  if (!groups_dirty_) return groups_;
  groups_.clear();
  // The key joins name and tagid with a newline, which no filter text may span.
  const bool match_none = filter_.find('\n') != std::string::npos;
  for (const auto& [group, tags] : sorted_) {
    GroupView view;
    view.group = group;
    view.has_editor = GroupHasEditor(group);
    if (filter_.empty()) {
      view.tags = tags;
    } else if (!match_none) {
      for (TagItem* item : tags)
        if (std::strstr(item->filter_key, filter_.c_str())) view.tags.push_back(item);
    }
    if (view.tags.empty()) continue;
    char label[128];
    std::snprintf(label, sizeof label, "%s (%d)", GetGroupName(group).c_str(),
                  int(view.tags.size()));
    view.label = label;
    groups_.push_back(std::move(view));
  }
  groups_dirty_ = false;
  return groups_;
}

void ArchiveBrowserModel::SelectTags(const std::vector<TagRecord*>& records) {
  for (auto& [record, item] : items_) item.selected = false;
  for (TagRecord* record : records)
    if (TagItem* item = FindItem(record)) item->selected = true;
}

std::vector<TagItem*> ArchiveBrowserModel::SelectedTags() {
  std::vector<TagItem*> out;
  for (const GroupView& group : VisibleGroups())
    for (TagItem* item : group.tags)
      if (item->selected) out.push_back(item);
  return out;
}

// ---- Tag tree commands

bool ArchiveBrowserModel::HasTagSelection() {
  return !SelectedTags().empty();
}

void ArchiveBrowserModel::Open() {
  for (TagItem* item : SelectedTags())
    if (!item->dimmed) ui_.OpenTag(item->record);
}

void ArchiveBrowserModel::GetInfo() {
  for (TagItem* item : SelectedTags()) {
    for (const TagUser& user : item->record->users) {
      if (user.kind == kUserInfo) {
        ui_.BringInfoToFront(user.pointer);
        return;
      }
    }
    ui_.OpenTagInfo(item->record);
  }
}

void ArchiveBrowserModel::CopyToLocal() {
  std::vector<TagRecord*> records;
  for (TagItem* item : SelectedTags()) records.push_back(item->record);
  for (TagRecord* record : records) codex_.CopyToLocal(record);
}

void ArchiveBrowserModel::Duplicate() {
  std::vector<TagRecord*> records;
  for (TagItem* item : SelectedTags()) records.push_back(item->record);
  if (records.empty()) return;
  if (records.size() == 1) {
    TagHeader header;
    codex_.GetEffectiveHeader(records[0], &header);
    std::string name = Printf("%s copy", header.Name());
    if (!ui_.AskText("Enter Name for Duplicate Tag", &name)) return;
    codex_.DuplicateTag(records[0], &name);
    return;
  }
  for (TagRecord* record : records) codex_.DuplicateTag(record, nullptr);
}

void ArchiveBrowserModel::Delete() {
  // Each row stands for one local file: its identity and file name, taken now, decide what may
  // be deleted after the question (a row whose tag lost that file meanwhile deletes nothing).
  struct Doomed {
    TagRecord* record;
    std::string name;
    uint32_t group, subgroup;
    std::string file_name;
  };
  std::vector<Doomed> doomed;
  for (TagItem* item : SelectedTags()) {
    TagRecord* r = item->record;
    if (r->local)
      doomed.push_back({r, item->row.header.Name(), r->group, r->subgroup, r->local->file_name});
  }
  if (doomed.empty()) return;
  std::string question;
  if (doomed.size() == 1) {
    question = Printf("Are you sure you want to delete '%s'?", doomed[0].name);
  } else {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "Are you sure you want to delete %d tags?",
                  int(doomed.size()));
    question = buffer;
  }
  size_t users = 0;
  if (usage_counter_)
    for (const Doomed& d : doomed) users += usage_counter_(d.record);
  if (users > 0) {
    const std::string what = doomed.size() == 1 ? "'" + doomed[0].name + "'" : "these tags";
    const std::string count = users == 1 ? "1 tag refers" : std::to_string(users) + " tags refer";
    question = count + " to " + what + ".\n" + question;
  }
  if (!ui_.AskQuestion("Confirm Deletion", question, "Delete", "Don't Delete")) return;
  for (const Doomed& d : doomed) {
    // Earlier deletions poll the local folder, which may move or free records: look again.
    TagRecord* record = codex_.FindRecord(d.group, d.subgroup);
    if (record && !codex_.HasEffectiveInstance(record)) RemoveItem(record);  // nothing to show
    if (!record || !record->local || record->local->file_name != d.file_name) continue;
    const std::string& name = d.name;
    if (!record->users.empty()) {
      ui_.ShowMessage("Can't delete tag.", Printf("'%s' is still being used Brae.", name));
      continue;
    }
    if (!codex_.DeleteLocalTag(record))
      ui_.ShowMessage("Error",
                      Printf("Couldn't delete '%s'. It might be locked, or in use by another "
                             "program.",
                             name));
  }
}

void ArchiveBrowserModel::ToggleHiddenGroups() {
  show_hidden_groups_ = !show_hidden_groups_;
  RebuildTagTree();
}

// ---- Listener

void ArchiveBrowserModel::Listener(void* context, ArchiveRecord* archive, TagRecord* record,
                                   int event) {
  static_cast<ArchiveBrowserModel*>(context)->OnCodexEvent(archive, record, event);
}

// An archive that goes away takes records with it: its items leave the lists and the tree
// before the pointers dangle (they come back with the next rebuild if the removal is refused).
void ArchiveBrowserModel::ForgetArchive(const ArchiveRecord* archive) {
  if (!archive) return;
  for (auto* list : {&active_, &inactive_})
    list->erase(std::remove_if(list->begin(), list->end(),
                               [&](const ArchiveItem& i) { return i.archive == archive; }),
                list->end());
  for (auto it = items_.begin(); it != items_.end();) {
    bool held = false;
    for (const TagInstance* instance : it->first->instances) held |= instance->archive == archive;
    it = held ? items_.erase(it) : std::next(it);
  }
  EnsureSelectionInActive();
  ++lists_version_;
  TreeChanged();
}

void ArchiveBrowserModel::OnCodexEvent(ArchiveRecord* archive, TagRecord* record, int event) {
  switch (event) {
    case kTagAppeared:
    case kTagChanged:
      if (record) UpdateItem(record);
      break;
    case kTagDisappeared:
      RemoveItem(record);
      break;
    case kArchiveAdded:
      if (!adding_archives_) {
        RebuildArchiveLists();
        RebuildTagTree();  // the selection went back to "combined"
      }
      break;
    case kArchiveRemoving:
      ForgetArchive(archive);
      break;
    case kActiveSetChanged:
      // Someone else (the reload of the plugins folder) chose the archives: show what is in
      // force now.
      if (!changing_active_set_) {
        RebuildArchiveLists();
        RebuildTagTree();
      }
      break;
    default:
      break;
  }
}

}  // namespace brae
