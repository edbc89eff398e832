#pragma once
// "Replace" and "Replace Alpha": bitmaps, shadows or alpha masks replaced in place from image
// files, paired with the bitmaps by order or by name.

#include <string>
#include <vector>

#include "collection/BitmapEditing.h"

namespace brae {

constexpr const char* kReplaceBitmapTitle = "Import replacement bitmap";
constexpr const char* kReplaceBitmapsTitle = "Import replacement bitmaps";
constexpr const char* kReplaceShadowTitle = "Import replacement shadow";
constexpr const char* kReplaceShadowsTitle = "Import replacement shadows";
constexpr const char* kReplaceAlphaTitle = "Import replacement alpha";
constexpr const char* kReplaceAlphasTitle = "Import replacement alphas";
constexpr const char* kReplaceModeLabel = "Replace:";
constexpr const char* kReplaceByOrder = "By Order";
constexpr const char* kReplaceByName = "By Name";
// The preference that remembers the choice between by order (0) and by name (1), also for
// exports (by numbering, by bitmap name).
constexpr const char* kBitmapImportMappingModeKey = "BitmapImportMappingMode";
constexpr const char* kReplaceTooFewFiles = "%d bitmaps were selected, expected at least %d";
constexpr const char* kReplaceCountMismatch = "%d files were selected, expected %d";
constexpr const char* kReplaceNotMatched = "The following bitmaps were not matched by name: ";
constexpr const char* kReplaceMoreNotMatched = "(%d more)";
constexpr int kReplaceNotMatchedListed = 20;
constexpr const char* kAlphaSizeMismatch =
    "'%s': The alpha mask must have the same dimensions as the image. Found: %d x %d. "
    "Expected: %d x %d.";
constexpr const char* kAlphaHighColour =
    "The bitmap \"%s\" is a high-colour bitmap; its alpha cannot be replaced.";

enum class ReplaceMapping { kByOrder = 0, kByName = 1 };  // "BitmapImportMappingMode"
enum class ReplaceKind { kBitmap, kShadow, kAlpha };

// The open dialog's title for count bitmaps of a kind.
const char* ReplaceDialogTitle(ReplaceKind kind, size_t count);

// Pairs files with the listed bitmaps: pairs[i] is the file index for bitmap indices[i]. By
// order the counts must be equal; by name each file (in order) takes the first unpaired bitmap
// whose name (followed by " alpha" for alphas) equals the file's base name, case-sensitive.
// False with the message when the files are too few or a bitmap stays unpaired.
bool PairReplacementFiles(const Collection& collection, const std::vector<size_t>& indices,
                          const std::vector<std::string>& paths, ReplaceMapping mapping,
                          ReplaceKind kind, std::vector<size_t>* pairs, std::string* message);

// Pairs, checks every paired file, and only if all pass replaces: a bitmap in place by the
// palette rule (taking the file's base name; replace_palette is asked when the colours cannot
// be merged), a shadow as an imported one, an alpha mask (of the bitmap's size) as the
// bitmap's alpha values. Names and references stay with the bitmap's place in the list. A
// bitmap file that is not 8-bit paletted is refused unless convert (asked kImageNotPaletted)
// agrees to convert it as the import does.
OperationResult ReplaceFromFiles(Collection* collection, const std::vector<size_t>& indices,
                                 const std::vector<std::string>& paths, ReplaceMapping mapping,
                                 ReplaceKind kind, const Question& replace_palette = nullptr,
                                 const Question& convert = nullptr);

// One bitmap or shadow replaced in place from one file by the rules above, keeping its name:
// the round trip of an external edit and of "collection-replace". A bitmap of two bytes per
// pixel (written out as RGBA) also takes RGB and RGBA files, converted as the import does.
OperationResult ReplaceBitmapFromFile(Collection* collection, size_t index, const std::string& path,
                                      const Question& replace_palette = nullptr);

}  // namespace brae
