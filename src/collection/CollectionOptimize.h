#pragma once
// The Optimize tab's whole-collection operations: deleting unused bitmaps, merging identical
// ones, cropping every bitmap, naming bitmaps after the sequences that show them, and the
// estimate of the texture memory the collection takes at run time. Each changes the
// collection in place and reports what it did in the words the tab shows (the command line
// prints the same reports).

#include <cstdint>
#include <string>

#include "collection/BitmapEditing.h"

namespace brae {

constexpr const char* kDeleteUnusedButton = "Delete Unused Bitmaps";
constexpr const char* kMergeIdenticalButton = "Merge Identical Bitmaps";
constexpr const char* kCropAllButton = "Crop All Bitmaps";
constexpr const char* kAutoRenameButton = "Auto Rename Bitmaps";
constexpr const char* kRuntimeSizeButton = "Get Runtime Size";

constexpr const char* kOptimizeWindowsOpen =
    "Please close all bitmap, sequence and sequence edit windows before performing "
    "optimizations.";
constexpr const char* kDeleteUnusedReport = "%d unused bitmap%s removed.";
constexpr const char* kMergeReport = "%d bitmap%s deleted after merging.";
constexpr const char* kCropAllTransparentReport =
    "\n Additionally, %d bitmap%s removed due to being completely transparent.";
constexpr const char* kRenameReport = "%d Bitmaps Renamed.";
constexpr const char* kRenameReportTitle = "Rename operation";
constexpr const char* kRuntimeSizeTitle = "Information";
constexpr const char* kRuntimeSizeReport =
    "Approximate texture cache consumption, by format:\n16 bit po2 => %.2lf MB\n16 bit npo2 => "
    "%.2lf MB\n32 bit po2 => %.2lf MB\n32 bit npo2 => %.2lf MB\n";

// " was" for exactly one, "s were" otherwise.
const char* WasOrWere(int count);

// Removes every bitmap (or shadow) that no frame view or frame shadow uses.
OperationResult DeleteUnusedBitmaps(Collection* collection);

// Removes every bitmap that is identical (size, flags and pixel bytes) to an earlier one; the
// references to it move to that earlier bitmap. Pixels are compared only between bitmaps of
// equal hash.
OperationResult MergeIdenticalBitmaps(Collection* collection);

// The bitmap crop (CropBitmaps) over every bitmap without asking; a completely transparent
// bitmap is removed, its area counted in the pixels removed. Shadows are left alone: frame
// shadow offsets have no point that could follow a cut.
OperationResult CropAllBitmaps(Collection* collection);

// Names every bitmap after the first sequence cell that shows it: the sequence name, with the
// frame and/or stored view as "%.2d" when the sequence has more than one of them. Reports (in
// a box titled kRenameReportTitle) only when a bitmap was met.
OperationResult AutoRenameBitmaps(Collection* collection);
// The name AutoRenameBitmaps gives the bitmap of a sequence's frame and stored view.
std::string AutoBitmapName(const std::string& sequence, int stored_views, int frames, int frame,
                           int view);

// The pixel counts of every bitmap: A sums width × height, P sums both sides rounded up to
// powers of two. 32-bit counts, as the estimate has always been made.
struct RuntimePixels {
  uint32_t area = 0;
  uint32_t pow2_area = 0;
};
RuntimePixels CountRuntimePixels(const Collection& collection);
// The smallest power of two at or above v (1 for v below 2).
uint32_t RoundUpToPowerOfTwo(uint32_t v);
// "Get Runtime Size": the estimate in a box titled kRuntimeSizeTitle; changes nothing.
OperationResult RuntimeSize(const Collection& collection);

}  // namespace brae
