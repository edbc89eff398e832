#pragma once
// "Build High-Res Collection": the bitmaps of an existing collection replaced by
// higher-resolution renderings of the same frames, kept in a folder tree laid out like the
// standard builder's (one folder per sequence, named after it). The scale of the new pictures
// against the old bitmaps is estimated, the pictures are resampled to the target scale, each
// cell's registration point is carried over, and the result is written as a local copy of the
// same tag. Nothing is written when the pictures are smaller than the target asks.
//
// Resampling: area averaging when shrinking (each source pixel weighted by the part of it an
// output pixel covers), linear interpolation when growing; colours weighted by alpha; colour-
// indexed pictures are mapped back to their own palette's nearest entries afterwards.

#include <optional>
#include <string>
#include <vector>

#include "collection/CollectionBuilder.h"

namespace brae {

constexpr const char* kHighResTitle = "Build High-Res Collection";
constexpr const char* kHighResCreateButton = "Create";
constexpr const char* kChooseHighResFolder = "Choose High-Res Folder Location";
constexpr const char* kMustChooseCollection = "You must choose a collection.";
constexpr const char* kInvalidScale = "Invalid scale.";
constexpr const char* kInvalidObjectScale = "Invalid object scale.";
constexpr const char* kInvalidTolerance = "Invalid tolerance.";
constexpr const char* kCannotUpResLocal = "Cannot Up-Res a collection from the local folder.";
constexpr const char* kUpResOverwrite =
    "The specified collection already exists in the local folder. Do you want to replace it?";
constexpr const char* kUpResLogTitle = "UpRes %d (%s)";

// The dialog's fields as typed.
struct HighResFields {
  bool has_collection = false;
  uint32_t tagid = 0;
  std::string folder;
  std::string target_scale;
  std::string tolerance;
  std::string object_scale;
  bool invert_alphas = false;
  bool frames_then_views = false;
  bool align_individually = false;
};

struct HighResSettings {
  uint32_t tagid = 0;
  std::string folder;  // ends in "/"
  double target_scale = 1;
  double tolerance = 0.05;
  double object_scale = 1;
  bool invert_alphas = false;
  bool frames_then_views = false;
  bool align_individually = false;
  bool true_colour = true;
  // The scale the new bitmaps get against the old ones: target × object scale.
  double Target() const { return target_scale * object_scale; }
};

// A decimal number filling the whole text (blanks around it allowed).
bool ParseDecimal(const std::string& text, double* out);

// Checks 1 to 5 of "Create": collection, folder, target scale (0.01 to 32), object scale
// (above 0, at most 32), tolerance (above 0, below 32). The message to show, or none.
std::optional<std::string> CheckHighResFields(const HighResFields& fields, HighResSettings* out);

// One old bitmap and the new picture of its cell, for the scale estimate.
struct ScalePair {
  std::string old_name;
  int old_width = 0, old_height = 0;
  std::string new_name;
  int new_width = 0, new_height = 0;
};

// The estimate of how much larger the new pictures are: up to five passes with a tolerance that
// grows by 0.1 whenever a pass accepts no pair (the passes then start again), logging as it
// goes. None when there are no pairs (or no tolerance ever accepts one).
std::optional<double> EstimateScale(const std::vector<ScalePair>& pairs, double tolerance,
                                    const BuildLog& log);

struct HighResResult {
  bool ok = false;     // the collection was changed and can be written
  bool fatal = false;  // the pictures are smaller than the target; nothing changed
  double scale = 0;    // the estimate
  int sequences = 0;   // sequences whose bitmaps were replaced
  size_t instances = 0;
  size_t unique = 0;
};

// Replaces the bitmaps of the collection (loaded with pixels) from the folder tree. On a
// failure before the replacement (fatal scale, nothing usable) the collection is unchanged.
HighResResult BuildHighResCollection(Collection* collection, const HighResSettings& settings,
                                     const BuildLog& log,
                                     const BuildProgressSink& progress = nullptr);

int NextUpResNumber();

struct HighResRun {
  BuildOutcome outcome = BuildOutcome::kRefused;
  std::string message;          // an "Error" box to show (empty: none)
  TagRecord* record = nullptr;  // the collection's record
  HighResResult build;
};

// Check 6 (the collection's copies in the local folder; overwrite is asked kUpResOverwrite),
// then the build on the effective copy, then the local copy written. A local copy the user
// chose to replace is deleted only once the build has produced a collection.
HighResRun RunHighResBuild(Codex& codex, const HighResSettings& settings, const Question& overwrite,
                           const BuildLog& log, const BuildProgressSink& progress = nullptr);

}  // namespace brae
