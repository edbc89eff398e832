#pragma once
// The bitmap browser's commands on bitmaps already in the collection: crop and uncrop (with
// the instances' points following the pixels), format conversion, alpha removal, rename,
// delete, reordering, and the guard against changing a bitmap that has an open window.
// Bitmaps are named by their index in the collection's bitmap list.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "collection/BitmapEditing.h"

namespace brae {

constexpr const char* kBitmapOpenMessage =
    "The bitmap \"%s\" is currently open. Please close it before %s.";
constexpr const char* kActionCropping = "cropping";
constexpr const char* kActionReplacing = "replacing";
constexpr const char* kActionDeleting = "deleting";
constexpr const char* kCropQuestion = "Are you sure you want to crop %s bitmap%s?";
constexpr const char* kCropButton = "Crop";
constexpr const char* kCropReport = "%d bitmap%s cropped (%d pixels removed).";
constexpr const char* kUncropPrompt = "Enter Uncropped Size (pixels)";
constexpr const char* kUncropButton = "Uncrop";
constexpr const char* kUncropInvalidSize = "Invalid size for uncropping.";
constexpr int kMaxUncropSize = 4096;
constexpr const char* kRenamePrompt = "Enter Bitmap Name";
constexpr const char* kDeleteQuestion = "Are you sure you want to remove %s %s%s?";
constexpr const char* kDeleteButton = "Delete";

// The bitmap browser's texts: the submenus, the rows' columns and the count label.
constexpr const char* kSelectedBitmap = "Selected Bitmap";
constexpr const char* kSelectedBitmaps = "Selected Bitmaps";
constexpr const char* kSelectedShadow = "Selected Shadow";
constexpr const char* kSelectedShadows = "Selected Shadows";
constexpr const char* kAllBitmaps = "All Bitmaps";
constexpr const char* kAllShadows = "All Shadows";
constexpr const char* kAddBitmapsFromFiles = "Add Bitmap(s) from File(s)";
constexpr const char* kAddShadowsFromFiles = "Add Shadow(s) from File(s)";
constexpr const char* kAddBitmapsFromPlate = "Add Bitmap(s) from Plate";
// The "Selected" submenu's title for count selected rows (of shadows or bitmaps).
const char* SelectedMenuTitle(size_t count, bool shadows);
// "%s bit" with "8", "16" or "32".
std::string BitmapBitsText(const CollectionBitmap& bitmap);
// "RLE" or "RAW".
const char* BitmapFormatText(const CollectionBitmap& bitmap);
// "%4d x %d".
std::string BitmapDimensionsText(const CollectionBitmap& bitmap);
// "%3d %s%s:" with the count, "Bitmap" or "Shadow", and "s" unless one.
std::string BitmapCountLabel(size_t count, bool shadows);

// Which rows a command names: the selected rows, or every listed row.
enum class RowScope { kSelected, kAll };

// "the selected", "the only" (every row, and only one listed) or "all".
const char* ScopeText(RowScope scope, size_t count);
// The crop question for count bitmaps.
std::string CropQuestion(RowScope scope, size_t count);
// The delete question for count bitmaps or shadows.
std::string DeleteQuestion(RowScope scope, size_t count, bool shadows);

// The open-window guard: the message to show when one of the bitmaps has an open window
// (is_open tells), for the action kActionCropping, kActionReplacing or kActionDeleting.
std::optional<std::string> OpenBitmapMessage(const Collection& collection,
                                             const std::vector<size_t>& indices,
                                             const std::function<bool(size_t)>& is_open,
                                             const char* action);

// What cropping one bitmap cut away: columns on the left and right, rows at the top and
// bottom, and the pixels removed (old area minus new area).
struct CropCut {
  int left = 0, top = 0, right = 0, bottom = 0;
  int64_t removed = 0;
};
// Cuts one bitmap to its pixels with alpha above 0, by the rules of CropBitmaps, without
// moving any instance; none when the bitmap is left as it is.
std::optional<CropCut> CropPixels(CollectionBitmap* bitmap);
// Whether every pixel has alpha 0 (false for a bitmap without pixels).
bool IsFullyTransparent(const CollectionBitmap& bitmap);

// "Crop Transparency": each bitmap is cut to the smallest rectangle holding every pixel with
// alpha above 0; fully transparent bitmaps and RAW bitmaps whose sides are both powers of two
// are left alone. Instances move their points by the columns removed on the left (right when
// mirrored horizontally) and the rows removed at the top (bottom when mirrored vertically).
// confirm is asked CropQuestion first (none: no question). Reports kCropReport.
OperationResult CropBitmaps(Collection* collection, const std::vector<size_t>& indices,
                            RowScope scope = RowScope::kSelected,
                            const Question& confirm = nullptr);

// "Uncrop Transparency": size is the answer to kUncropPrompt (none: cancelled, nothing shown).
// Each bitmap that fits in size × size is padded with transparent pixels to that size, centred;
// instances move their points by the padding on the left (right when mirrored) and at the top
// (bottom when mirrored). Larger bitmaps are left alone.
OperationResult UncropBitmaps(Collection* collection, const std::vector<size_t>& indices,
                              std::optional<int> size);

// "Convert to RLE" / "Convert to RAW" (high-colour bitmaps are left alone).
OperationResult ConvertBitmaps(Collection* collection, const std::vector<size_t>& indices,
                               bool rle);
// "Remove Alpha": clears the two-bytes-per-pixel flag; pixels with alpha 0 stay transparent,
// the others become opaque.
OperationResult RemoveAlpha(Collection* collection, const std::vector<size_t>& indices);
// "Rename": at most 63 characters are kept.
OperationResult RenameBitmap(Collection* collection, size_t index, const std::string& name);
// "Delete": confirm is asked DeleteQuestion first (none: no question); every frame view or
// shadow that used a removed bitmap is left without one.
OperationResult DeleteBitmaps(Collection* collection, const std::vector<size_t>& indices,
                              RowScope scope = RowScope::kSelected,
                              const Question& confirm = nullptr);
// Dragging rows: the bitmaps move, in their list order, to the drop position (an index into
// the list as it is before the move; the size of the list drops at the end). Every instance
// keeps its bitmap. result.bitmaps holds the moved bitmaps' new indices.
OperationResult MoveBitmaps(Collection* collection, const std::vector<size_t>& indices,
                            size_t drop_position);

}  // namespace brae
