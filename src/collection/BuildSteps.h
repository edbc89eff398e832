#pragma once
// The steps that the standard and the high-resolution collection builders share: checking a
// sequence folder's files against its cells, loading a sequence's pictures (each file once),
// keeping identical pictures once, giving true-colour pictures one palette, and adding the kept
// pictures to a collection by the palette rule.

#include <cstdint>
#include <string>
#include <vector>

#include "collection/BuilderImages.h"
#include "collection/Collection.h"
#include "collection/CollectionBuilder.h"
#include "collection/FolderLayout.h"

namespace brae {

// Which kind of frames a sequence held.
enum class PicturePath { kNone, kIndexed, kTrueColour, kMixed };

// One cell's picture: an index (into a sequence's pictures or the store; -1 for none) and where
// the visible part sat in the uncropped file.
struct PlacedPicture {
  int stored = -1;
  int crop_left = 0;
  int crop_top = 0;
};

int16_t ClampPoint(int value);
size_t CountPlaced(const std::vector<PlacedPicture>& cells);

// The checks of a sequence folder's files (alpha count, frame list, file count), logging each
// failure with the folder name; false when the sequence is to be skipped. Fills the layout.
bool CheckSequenceFiles(const std::string& folder_name, const SequenceFiles& files, int frames,
                        int views, BitmapOrder order, const BuildLog& log, CellLayout* layout);

// A sequence's pictures as loaded: one per file used, cropped to its visible area.
struct LoadedSequence {
  std::vector<CellImage> pictures;
  std::vector<std::string> sources;  // the file of each picture
  std::vector<PlacedPicture> cells;  // per cell (frame-major); stored indexes pictures
  PicturePath path = PicturePath::kNone;
  std::string failed_file;  // the file that failed to load
};

// Loads sequences' pictures, reporting progress after every file.
class PictureLoader {
 public:
  PictureLoader(const CellLoadOptions& options, const BuildProgressSink& progress)
      : options_(options), progress_(progress) {}
  // Counts the files a sequence will load, for the progress total.
  void AddToTotal(const CellLayout& layout, const SequenceFiles& files);
  // Loads every file the cells use, once each. A file that fails logs its error and fails the
  // whole sequence.
  bool Load(const CellLayout& layout, const SequenceFiles& files, const BuildLog& log,
            LoadedSequence* out);
  // Load, then the pictures join the store; cells then index the store.
  bool LoadSequence(const CellLayout& layout, const SequenceFiles& files, const BuildLog& log,
                    ImageStore* store, std::vector<PlacedPicture>* cells, PicturePath* path);

 private:
  CellLoadOptions options_;
  BuildProgressSink progress_;
  int done_ = 0;
  int total_ = 0;
};

// Moves a sequence's pictures into the store; its cells then index the store.
void StoreSequence(LoadedSequence* sequence, ImageStore* store);

// Logs which kind of frames the sequence took.
void LogPicturePath(const std::string& sequence, PicturePath path, const BuildLog& log);

// True-colour pictures of the store become colour-indexed with one palette computed over all of
// them together (the colours of every visible pixel, weighted), mapped with error diffusion.
// The palette leaves room for the colour-indexed pictures' colours and avoids the colours that
// will stand in entries 0 and 1 (pixels there would be transparent). Nothing happens when the
// store holds no true-colour picture.
void QuantizeTrueColour(ImageStore* store, const Collection& collection, const BuildLog& log);

// Adds every picture of the store to the collection as a bitmap named after the file that first
// produced it, by the palette rule. A picture that cannot be added is logged and has no bitmap
// (null in the result, which is indexed like the store).
std::vector<CollectionBitmap*> AddStoredBitmaps(ImageStore* store, Collection* collection,
                                                const BuildLog& log);

}  // namespace brae
