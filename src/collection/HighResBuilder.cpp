// The high-resolution collection builder.
//
// Index
//   field checks ............... ParseDecimal, CheckHighResFields
//   scale estimate ............. EstimateScale
//   the build .................. ScanSequence, registration, BuildHighResCollection
//   the whole command .......... RunHighResBuild
#include "collection/HighResBuilder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <set>

#include "collection/BuildSteps.h"
#include "collection/CollectionFormat.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"

namespace brae {

// ---------------------------------------------------------------------------------------------
// Field checks

bool ParseDecimal(const std::string& text, double* out) {
  const char* start = text.c_str();
  while (*start == ' ' || *start == '\t') ++start;
  if (!*start) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(start, &end);
  while (*end == ' ' || *end == '\t') ++end;
  if (*end || errno || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

std::optional<std::string> CheckHighResFields(const HighResFields& fields, HighResSettings* out) {
  if (!fields.has_collection) return std::string(kMustChooseCollection);
  if (fields.folder.empty() || !FolderExists(fields.folder)) return std::string(kFolderNotFound);
  HighResSettings s;
  if (!ParseDecimal(fields.target_scale, &s.target_scale) || s.target_scale < 0.01 ||
      s.target_scale > 32)
    return std::string(kInvalidScale);
  if (!ParseDecimal(fields.object_scale, &s.object_scale) || s.object_scale <= 0 ||
      s.object_scale > 32)
    return std::string(kInvalidObjectScale);
  if (!ParseDecimal(fields.tolerance, &s.tolerance) || s.tolerance <= 0 || s.tolerance >= 32)
    return std::string(kInvalidTolerance);
  s.tagid = fields.tagid;
  s.folder = NormalizedFolderPath(fields.folder);
  s.invert_alphas = fields.invert_alphas;
  s.frames_then_views = fields.frames_then_views;
  s.align_individually = fields.align_individually;
  *out = s;
  return std::nullopt;
}

int NextUpResNumber() {
  static int count = 0;
  return ++count;
}

// ---------------------------------------------------------------------------------------------
// Scale estimate

std::optional<double> EstimateScale(const std::vector<ScalePair>& pairs, double tolerance,
                                    const BuildLog& log) {
  if (pairs.empty()) return std::nullopt;
  constexpr int kMaxRestarts = 1000;  // a tolerance of 100 accepts any sane picture
  double w = tolerance, scale = 0;
  for (int restart = 0; restart <= kMaxRestarts; ++restart) {
    bool passed = true;
    for (int pass = 0; pass < 5 && passed; ++pass) {
      double sum = 0;
      int accepted = 0;
      for (const ScalePair& p : pairs) {
        const double sx = double(p.new_width) / p.old_width;
        const double sy = double(p.new_height) / p.old_height;
        bool ok;
        if (pass == 0) {
          const double old_aspect = double(p.old_width) / p.old_height;
          const double new_aspect = double(p.new_width) / p.new_height;
          ok = std::fabs(old_aspect / new_aspect - 1) < w;
        } else {
          ok = std::max(std::fabs(sx / scale - 1), std::fabs(sy / scale - 1)) < w;
        }
        if (ok) {
          sum += (sx + sy) / 2;
          ++accepted;
        } else if (pass == 4) {
          log(FormatMessage(
              "SCALE WARNING: %s(%dx%d) vs %s(%dx%d) - dimensions differ by "
              "(%.1lf%%, %.1lf%%)\n",
              p.old_name.c_str(), p.old_width, p.old_height, p.new_name.c_str(), p.new_width,
              p.new_height, (sx / scale - 1) * 100, (sy / scale - 1) * 100));
        }
      }
      if (accepted == 0) {
        w += 0.1;
        log(
            FormatMessage("WARNING: no bitmaps passed; warn_fraction too low. raising "
                          "warn_fraction to %.2lf\n",
                          w));
        passed = false;
        continue;
      }
      scale = sum / accepted;
      log(FormatMessage("computed global scale: %.2lf\n", scale));
    }
    if (passed) return scale;
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// The build

namespace {

using Clock = std::chrono::steady_clock;

// A sequence of the collection with its new pictures.
struct SequenceWork {
  CollectionSequence* sequence = nullptr;
  int views = 0;  // stored views (mirrored ones are rebuilt from them)
  SequenceFiles files;
  CellLayout layout;
  bool align_individually = false;
  LoadedSequence loaded;
  // Per picture: its size before resampling, for the registration mapping.
  std::vector<std::pair<int, int>> cropped_size;
};

bool ScanSequence(const HighResSettings& settings, CollectionSequence* s, const BuildLog& log,
                  SequenceWork* work) {
  work->sequence = s;
  work->views = s->StoredViewCount();
  const std::string folder = settings.folder + s->name + "/";
  if (!ListSequenceFiles(folder, &work->files)) {
    log(FormatMessage("ERROR: sequence folder '%s' contains %d bitmaps, expected %d\n",
                      s->name.c_str(), 0, s->FrameCount() * work->views));
    return false;
  }
  const BitmapOrder order = work->files.script.order.value_or(
      settings.frames_then_views ? BitmapOrder::kFramesThenViews : BitmapOrder::kViewsThenFrames);
  work->align_individually =
      work->files.script.align_individually.value_or(settings.align_individually);
  return CheckSequenceFiles(s->name, work->files, s->FrameCount(), work->views, order, log,
                            &work->layout);
}

bool LoadPictures(PictureLoader& loader, const BuildLog& log, SequenceWork* work) {
  if (!loader.Load(work->layout, work->files, log, &work->loaded)) {
    log(FormatMessage("ERROR: could not create UpRes bitmap instance for '%s' (bad format?)\n",
                      work->loaded.failed_file.c_str()));
    return false;
  }
  std::set<std::pair<int, int>> sizes;
  for (const CellImage& p : work->loaded.pictures) {
    sizes.insert({p.full_width, p.full_height});
    work->cropped_size.push_back({p.width, p.height});
  }
  if (sizes.size() > 1) {
    log(
        FormatMessage("ERROR: sequence '%s': not all bitmaps are the same size; Alignment not "
                      "preserved!\n",
                      work->sequence->name.c_str()));
  }
  return true;
}

// The old bitmap of a cell, when it has one with a size.
const CollectionBitmap* OldBitmap(const SequenceWork& w, int frame, int view) {
  const auto& in = w.sequence->frames[size_t(frame)].views[size_t(view)];
  if (!in || !in->bitmap || in->bitmap->width <= 0 || in->bitmap->height <= 0) return nullptr;
  return in->bitmap;
}

void CollectPairs(const SequenceWork& w, std::vector<ScalePair>* pairs) {
  for (int f = 0; f < w.layout.frames; ++f) {
    for (int v = 0; v < w.views; ++v) {
      const PlacedPicture& cell = w.loaded.cells[size_t(f * w.views + v)];
      const CollectionBitmap* old = OldBitmap(w, f, v);
      if (cell.stored < 0 || !old) continue;
      const CellImage& p = w.loaded.pictures[size_t(cell.stored)];
      pairs->push_back(ScalePair{old->name, old->width, old->height,
                                 FileBaseName(w.loaded.sources[size_t(cell.stored)]), p.width,
                                 p.height});
    }
  }
}

// Each cell's registration point in the new picture: the old point carried into the uncropped
// resampled frame (through the pair's own size ratio, or the estimate without an old bitmap),
// then, unless aligned individually, the mean over the sequence's cells, and finally made
// relative to the cell's own crop.
void MapRegistration(SequenceWork& w, double scale, double r) {
  struct Point {
    double x = 0, y = 0;
    bool valid = false;
  };
  std::vector<Point> points(w.loaded.cells.size());
  double sum_x = 0, sum_y = 0;
  int n = 0;
  for (int f = 0; f < w.layout.frames; ++f) {
    for (int v = 0; v < w.views; ++v) {
      const size_t i = size_t(f * w.views + v);
      const PlacedPicture& cell = w.loaded.cells[i];
      const auto& in = w.sequence->frames[size_t(f)].views[size_t(v)];
      if (cell.stored < 0 || !in) continue;
      const CellImage& p = w.loaded.pictures[size_t(cell.stored)];
      double sx = scale, sy = scale;
      if (const CollectionBitmap* old = OldBitmap(w, f, v)) {
        sx = double(w.cropped_size[size_t(cell.stored)].first) / old->width;
        sy = double(w.cropped_size[size_t(cell.stored)].second) / old->height;
      }
      points[i] = Point{p.crop_left + in->reg_x * sx * r, p.crop_top + in->reg_y * sy * r, true};
      sum_x += points[i].x, sum_y += points[i].y;
      ++n;
    }
  }
  for (size_t i = 0; i < points.size(); ++i) {
    if (!points[i].valid) continue;
    const CellImage& p = w.loaded.pictures[size_t(w.loaded.cells[i].stored)];
    const double x = w.align_individually ? points[i].x : sum_x / n;
    const double y = w.align_individually ? points[i].y : sum_y / n;
    w.loaded.cells[i].crop_left = p.crop_left;
    w.loaded.cells[i].crop_top = p.crop_top;
    // Stored as the final point until the cells are placed.
    points[i].x = std::round(x) - p.crop_left;
    points[i].y = std::round(y) - p.crop_top;
    auto& in = w.sequence->frames[i / size_t(w.views)].views[i % size_t(w.views)];
    in->reg_x = ClampPoint(int(points[i].x));
    in->reg_y = ClampPoint(int(points[i].y));
  }
}

// Puts the stored pictures' bitmaps into the cells and removes the old bitmaps no cell uses any
// more (shadows stay).
void ReplaceBitmaps(std::vector<SequenceWork>& works, const std::vector<CollectionBitmap*>& bitmaps,
                    Collection* c) {
  std::set<CollectionBitmap*> old;
  for (SequenceWork& w : works) {
    for (int f = 0; f < w.layout.frames; ++f) {
      for (int v = 0; v < w.views; ++v) {
        auto& in = w.sequence->frames[size_t(f)].views[size_t(v)];
        if (!in) continue;
        if (in->bitmap) old.insert(in->bitmap);
        const PlacedPicture& cell = w.loaded.cells[size_t(f * w.views + v)];
        in->bitmap = cell.stored >= 0 ? bitmaps[size_t(cell.stored)] : nullptr;
        in->flags &= ~kInstanceAlternateValid;  // the alternate placement named the old art
      }
    }
    if (w.sequence->IsMirrored()) w.sequence->RebuildMirroredViews();
    w.sequence->ComputeExtents();
  }
  for (size_t i = c->bitmaps.size(); i-- > 0;) {
    CollectionBitmap* b = c->bitmaps[i].get();
    if (old.count(b) && !b->IsShadow() && !c->IsBitmapUsed(b)) c->RemoveBitmap(i);
  }
}

}  // namespace

HighResResult BuildHighResCollection(Collection* collection, const HighResSettings& settings,
                                     const BuildLog& log, const BuildProgressSink& progress) {
  HighResResult result;
  const Clock::time_point start = Clock::now();
  log(FormatMessage("****************** Begin UpRes log for '%s' ******************\n",
                    collection->name.c_str()));
  std::vector<SequenceWork> works;
  for (const auto& s : collection->sequences) {
    log(FormatMessage("scanning sequence '%s'\n", s->name.c_str()));
    SequenceWork w;
    if (ScanSequence(settings, s.get(), log, &w)) works.push_back(std::move(w));
  }
  CellLoadOptions options;
  options.invert_alphas = settings.invert_alphas;
  options.true_colour = settings.true_colour;
  PictureLoader loader(options, progress);
  for (const SequenceWork& w : works) loader.AddToTotal(w.layout, w.files);
  std::vector<SequenceWork> loaded;
  std::vector<ScalePair> pairs;
  for (SequenceWork& w : works) {
    if (!LoadPictures(loader, log, &w)) continue;
    LogPicturePath(w.sequence->name, w.loaded.path, log);
    CollectPairs(w, &pairs);
    loaded.push_back(std::move(w));
  }

  const std::optional<double> scale = EstimateScale(pairs, settings.tolerance, log);
  if (!scale) {
    log("ERROR: no new bitmap could be compared with an old one; nothing written.\n");
    return result;
  }
  result.scale = *scale;
  const double target = settings.Target();
  if (*scale < target) {
    log(
        FormatMessage("FATAL: computed scale (%.2lf) must not be less than the target scale "
                      "(%.2lf).\n",
                      *scale, target));
    result.fatal = true;
    return result;
  }

  const double r = target / *scale;
  ImageStore store;
  for (SequenceWork& w : loaded) {
    for (CellImage& p : w.loaded.pictures) ResampleCellImage(&p, r);
    MapRegistration(w, *scale, r);
    result.instances += CountPlaced(w.loaded.cells);
    StoreSequence(&w.loaded, &store);
  }
  result.unique = store.Size();
  log(FormatMessage("%d instances, %d unique\n", int(result.instances), int(result.unique)));
  log(FormatMessage("%.2lfs elpased\n",
                    std::chrono::duration<double>(Clock::now() - start).count()));
  QuantizeTrueColour(&store, *collection, log);
  const std::vector<CollectionBitmap*> bitmaps = AddStoredBitmaps(&store, collection, log);
  ReplaceBitmaps(loaded, bitmaps, collection);
  result.sequences = int(loaded.size());
  result.ok = !loaded.empty();
  return result;
}

// ---------------------------------------------------------------------------------------------
// The whole command

HighResRun RunHighResBuild(Codex& codex, const HighResSettings& settings, const Question& overwrite,
                           const BuildLog& log, const BuildProgressSink& progress) {
  HighResRun run;
  TagRecord* record = codex.FindTag(kCollectionGroup, settings.tagid);
  TagInstance* effective = record ? codex.GetEffectiveInstance(record) : nullptr;
  if (!effective) {
    run.message = kMustChooseCollection;
    return run;
  }
  if (effective == record->local.get()) {
    run.message = kCannotUpResLocal;
    return run;
  }
  if (record->local && (!overwrite || !overwrite(kUpResOverwrite))) return run;
  run.record = record;

  TagHeader header;
  Collection collection;
  FileStream* in = codex.BeginTagRead(record, &header);
  const CollectionResult read =
      in ? ReadCollection(*in, header, CollectionLoadOptions(), &collection) : CollectionResult();
  codex.EndTagRead(record);
  if (!read) {
    log(FormatMessage("ERROR: the collection could not be read: %s\n", read.message.c_str()));
    run.outcome = BuildOutcome::kFailed;
    run.message = kBuildFailed;
    return run;
  }
  collection.name = header.Name();
  run.build = BuildHighResCollection(&collection, settings, log, progress);
  if (run.build.fatal) return run;  // refused: nothing written
  if (!run.build.ok) {
    run.outcome = BuildOutcome::kFailed;
    run.message = kBuildFailed;
    return run;
  }
  if (record->local && !codex.DeleteLocalTag(record)) {
    run.message = kExistingNotDeleted;
    return run;
  }
  log("Writing collection data to disk...");
  const bool written = WriteCollectionTag(codex, record, header, collection);
  log(written ? "ok.\n" : "failed!\n");
  run.outcome = written ? BuildOutcome::kBuilt : BuildOutcome::kFailed;
  if (!written) run.message = kBuildFailed;
  return run;
}

}  // namespace brae
