#pragma once
// The folder trees that the collection builders read: one folder per sequence, holding its
// colour images (in "bitmaps/" or the folder itself), its alpha images (names ending in ".alpha"
// or the folder "alphas/") and an optional "script.txt"; and the mapping of a sequence's frame
// and view cells onto those files.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brae {

// Names compared as people expect: without regard to case, runs of digits as numbers
// ("walk2" before "walk10"). Ties fall back to a plain comparison so the order is total.
bool NaturalLess(const std::string& a, const std::string& b);

// The order in which a sequence folder lists its files.
enum class BitmapOrder {
  kFramesThenViews = 1,  // every frame of view 1, then every frame of view 2, ...
  kViewsThenFrames = 2,  // every view of frame 1, then every view of frame 2, ...
};

// The settings of a sequence folder's "script.txt".
struct SequenceScript {
  std::optional<BitmapOrder> order;        // "BitmapOrder ViewsThenFrames|FramesThenViews"
  std::optional<bool> align_individually;  // "AlignIndividually <truth value>"
  // "(1 2 3 2)": the 1-based source frame of each frame of the sequence; 0 for "~" (empty).
  std::optional<std::vector<int>> frames;
};
SequenceScript ParseSequenceScript(const std::string& text);

// "walk(8,12)" gives the name "walk", 8 views and 12 frames; false without valid dimensions.
bool ParseSequenceFolderName(const std::string& folder_name, std::string* name, int* views,
                             int* frames);

// One sequence folder's files, in natural name order.
struct SequenceFiles {
  std::string folder;  // ends in "/"
  std::vector<std::string> colours;
  std::vector<std::string> alphas;  // empty, or one per colour image
  bool has_script = false;
  SequenceScript script;
};
// Lists a sequence folder (see the file comment). False when the folder cannot be listed.
bool ListSequenceFiles(const std::string& folder, SequenceFiles* out);

// The sub-folders of a folder in natural name order (names only).
std::vector<std::string> ListSubfolders(const std::string& folder);

// Where the cells of a sequence take their images from. Files are numbered in the folder's
// order; a cell of an empty frame ("~") takes none (-1).
struct CellLayout {
  int frames = 0;
  int views = 0;
  int files_needed = 0;           // distinct source frames used × views
  int folder_frames = 0;          // frames the folder holds (files / views)
  std::vector<int> file_of_cell;  // frame-major: cell (f, v) at f × views + v
  std::vector<int> source_frame;  // per frame: 1-based source frame, 0 for an empty frame
  int FileAt(int frame, int view) const { return file_of_cell[size_t(frame * views + view)]; }
};

// What went wrong while laying out the cells.
enum class LayoutError {
  kNone,
  kFrameListLength,  // the frame list's length differs from the frame count
  kTooFewFiles,      // fewer files than needed
  kFrameTooLarge,    // a source frame past the frames the folder holds
  kTooManyCells,     // more frame × view cells than a collection may hold
};

// The most frame × view cells one sequence may have.
constexpr int64_t kMaxSequenceCells = int64_t(1) << 22;

struct LayoutResult {
  LayoutError error = LayoutError::kNone;
  bool extra_files = false;  // more files than needed (some will not be used)
  int bad_frame = 0;         // kFrameTooLarge: the source frame
  CellLayout layout;
};

// Lays out frames × views cells over file_count files listed in the given order, using the
// script's frame list when it has one.
LayoutResult LayOutCells(int frames, int views, int file_count, BitmapOrder order,
                         const std::optional<std::vector<int>>& frame_list);

}  // namespace brae
