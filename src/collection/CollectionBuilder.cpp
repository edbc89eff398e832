// The standard collection builder.
//
// Index
//   field checks ............... ParseLimitedInt, TagidFromText, CheckCollectionBuildFields
//   sequence folders ........... ScanSequences (names, files, script, cell layout)
//   pictures ................... LoadSequencePictures, the store, QuantizeTrueColour
//   the collection ............. AddStoredBitmaps, AddSequences
//   the whole command .......... RunCollectionBuild, WriteCollectionTag
#include "collection/CollectionBuilder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <set>

#include "collection/BuildSteps.h"
#include "collection/BuilderImages.h"
#include "collection/CollectionFormat.h"
#include "collection/CollectionImport.h"
#include "collection/FolderLayout.h"
#include "collection/PaletteMerge.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"

namespace brae {

// ---------------------------------------------------------------------------------------------
// Field checks

bool ParseLimitedInt(const std::string& text, int limit, int* out) {
  size_t b = 0, e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  const std::string t = text.substr(b, e - b);
  if (t.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(t.c_str(), &end, 10);
  if (*end || errno || v < -long(limit) || v > long(limit)) return false;
  *out = int(v);
  return true;
}

uint32_t TagidFromText(const std::string& text) {
  if (text.empty()) return 0xFFFFFFFFu;
  uint32_t id = 0;
  for (size_t i = 0; i < 4; ++i) id = id << 8 | uint8_t(i < text.size() ? text[i] : ' ');
  return id;
}

std::optional<std::string> CheckCollectionBuildFields(const CollectionBuildFields& fields,
                                                      CollectionBuildSettings* out) {
  if (fields.folder.empty() || !FolderExists(fields.folder)) return std::string(kFolderNotFound);
  if (fields.name.empty()) return std::string(kNameInvalid);
  CollectionBuildSettings s;
  if (!ParseLimitedInt(fields.reg_x, kMaxRegPoint, &s.reg_x)) return std::string(kRegXInvalid);
  if (!ParseLimitedInt(fields.reg_y, kMaxRegPoint, &s.reg_y)) return std::string(kRegYInvalid);
  s.name = fields.name.substr(0, kCollectionNameLength);
  s.folder = NormalizedFolderPath(fields.folder);
  s.tagid = TagidFromText(fields.tagid);
  s.invert_alphas = fields.invert_alphas;
  s.frames_then_views = fields.frames_then_views;
  *out = s;
  return std::nullopt;
}

int NextCollectionBuildNumber() {
  static int count = 0;
  return ++count;
}

// ---------------------------------------------------------------------------------------------
// The build

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// A sequence folder read and laid out.
struct SequencePlan {
  std::string name;
  int views = 0, frames = 0;
  SequenceFiles files;
  CellLayout layout;
  std::vector<PlacedPicture> cells;  // per cell (frame-major), after loading
  PicturePath path = PicturePath::kNone;
};

// Step 2: every sequence folder, with the checks of its files.
std::vector<SequencePlan> ScanSequences(const CollectionBuildSettings& settings, int* found,
                                        const BuildLog& log) {
  std::vector<SequencePlan> plans;
  *found = 0;
  for (const std::string& folder : ListSubfolders(settings.folder)) {
    ++*found;
    log(FormatMessage("scanning sequence folder '%s'\n", folder.c_str()));
    SequencePlan plan;
    if (!ParseSequenceFolderName(folder, &plan.name, &plan.views, &plan.frames)) {
      log(
          FormatMessage("ERROR: the sequence folder '%s' had invalid dimensions, no dimensions in "
                        "script.txt and no dimensions in the name.\n",
                        folder.c_str()));
      continue;
    }
    if (!ListSequenceFiles(settings.folder + folder, &plan.files)) continue;
    const BitmapOrder order = plan.files.script.order.value_or(
        settings.frames_then_views ? BitmapOrder::kFramesThenViews : BitmapOrder::kViewsThenFrames);
    if (!CheckSequenceFiles(folder, plan.files, plan.frames, plan.views, order, log, &plan.layout))
      continue;
    plans.push_back(std::move(plan));
  }
  return plans;
}

// Step 5: the sequences, each cell placing its bitmap at (X - crop left, Y - crop top). The
// registration point is given in uncropped pixels, so each cell keeps its own point whether the
// script asks to align individually or not.
void AddSequences(const std::vector<SequencePlan>& plans,
                  const std::vector<CollectionBitmap*>& bitmaps,
                  const CollectionBuildSettings& settings, Collection* c) {
  for (const SequencePlan& plan : plans) {
    auto s = std::make_unique<CollectionSequence>();
    s->name = plan.name.substr(0, kItemNameLength);
    s->Resize(plan.frames, plan.views);
    for (int f = 0; f < plan.frames; ++f) {
      for (int v = 0; v < plan.views; ++v) {
        CollectionInstance* in = s->InstanceAt(f, v);
        const PlacedPicture& cell = plan.cells[size_t(f * plan.views + v)];
        in->bitmap = cell.stored >= 0 ? bitmaps[size_t(cell.stored)] : nullptr;
        in->reg_x = ClampPoint(settings.reg_x - cell.crop_left);
        in->reg_y = ClampPoint(settings.reg_y - cell.crop_top);
      }
    }
    s->ComputeExtents();
    c->AddSequence(std::move(s));
  }
}

}  // namespace

CollectionBuildResult BuildCollectionFromFolder(const CollectionBuildSettings& settings,
                                                const BuildLog& log,
                                                const BuildProgressSink& progress) {
  CollectionBuildResult result;
  const Clock::time_point start = Clock::now();
  log(FormatMessage("****************** Begin BuildCollection log for '%s' ******************\n",
                    settings.name.c_str()));
  std::vector<SequencePlan> plans = ScanSequences(settings, &result.sequence_folders, log);

  // Step 3: the pictures, each sequence loaded whole before its pictures join the store.
  CellLoadOptions options;
  options.invert_alphas = settings.invert_alphas;
  options.true_colour = settings.true_colour;
  ImageStore store;
  PictureLoader loader(options, progress);
  for (const SequencePlan& plan : plans) loader.AddToTotal(plan.layout, plan.files);
  std::vector<SequencePlan> built;
  for (SequencePlan& plan : plans) {
    if (!loader.LoadSequence(plan.layout, plan.files, log, &store, &plan.cells, &plan.path))
      continue;
    LogPicturePath(plan.name, plan.path, log);
    result.instances += CountPlaced(plan.cells);
    built.push_back(std::move(plan));
  }
  result.unique = store.Size();
  log(FormatMessage("%d instances, %d unique\n", int(result.instances), int(result.unique)));
  log(FormatMessage("%.2lfs elpased\n", Seconds(start)));

  // Steps 4 and 5.
  auto collection = std::make_unique<Collection>();
  collection->name = settings.name.substr(0, kCollectionNameLength);
  QuantizeTrueColour(&store, *collection, log);
  const std::vector<CollectionBitmap*> bitmaps = AddStoredBitmaps(&store, collection.get(), log);
  AddSequences(built, bitmaps, settings, collection.get());
  result.sequences = int(built.size());
  result.ok = !built.empty();
  result.collection = std::move(collection);
  return result;
}

// ---------------------------------------------------------------------------------------------
// The whole command

namespace {

// The local collection whose name equals name (without regard to case), or none.
TagRecord* LocalCollectionNamed(Codex& codex, const std::string& name) {
  std::vector<TagRecord*> records;
  codex.ListTagsOfGroup(kCollectionGroup, &records);
  for (TagRecord* r : records) {
    if (r->local && EqualsNoCase(r->local->header.Name(), name)) return r;
  }
  return nullptr;
}

}  // namespace

bool WriteCollectionTag(Codex& codex, TagRecord* record, TagHeader header,
                        const Collection& collection) {
  FileStream* out = codex.BeginTagWrite(record, &header);
  if (!out) return false;
  const CollectionResult written = WriteCollection(*out, collection, &header);
  return codex.EndTagWrite(record, &header, bool(written)) && written;
}

CollectionBuildRun RunCollectionBuild(Codex& codex, const CollectionBuildSettings& settings,
                                      const CollectionBuildQuestions& questions,
                                      const BuildLog& log, const BuildProgressSink& progress) {
  CollectionBuildRun run;
  // Steps 5 and 6: the questions (the deletions wait for a successful build).
  TagRecord* same_id = nullptr;
  if (settings.tagid != 0xFFFFFFFFu) {
    TagRecord* r = codex.FindTag(kCollectionGroup, settings.tagid);
    if (r && r->local) {
      if (!questions.overwrite || !questions.overwrite(kOverwriteSameId)) return run;
      same_id = r;
    }
  }
  TagRecord* same_name = LocalCollectionNamed(codex, settings.name);
  if (same_name == same_id) same_name = nullptr;  // one question, one deletion
  if (same_name) {
    if (!questions.overwrite || !questions.overwrite(kOverwriteSameName)) return run;
  }

  const Clock::time_point start = Clock::now();
  run.build = BuildCollectionFromFolder(settings, log, progress);
  if (!run.build.ok) {
    run.outcome = BuildOutcome::kFailed;
    run.message = kBuildFailed;
    return run;
  }
  for (TagRecord* r : {same_id, same_name}) {
    if (r && r->local && !codex.DeleteLocalTag(r)) {
      run.outcome = BuildOutcome::kRefused;
      run.message = kExistingNotDeleted;
      return run;
    }
  }
  // Step 7: the tag (replacing whatever is still in the way).
  TagHeader header;
  TagRecord* record =
      codex.CreateTag(kCollectionGroup, settings.tagid, settings.name, &header, true);
  if (!record) {
    run.outcome = BuildOutcome::kRefused;
    run.message = FormatMessage(kTagNotCreated, settings.name.c_str());
    return run;
  }
  log("Writing collection data to disk...");
  const bool written = WriteCollectionTag(codex, record, header, *run.build.collection);
  log(written ? "ok.\n" : "failed!\n");
  log(FormatMessage("%.2lfs elpased\n", Seconds(start)));
  if (!written) {
    run.outcome = BuildOutcome::kFailed;
    run.message = kBuildFailed;
    return run;
  }
  run.outcome = BuildOutcome::kBuilt;
  run.record = record;
  return run;
}

}  // namespace brae
