#pragma once
// Adding bitmaps and shadows to a collection from image files ("Add Bitmap(s) from File(s)",
// "Add Shadow(s) from File(s)"), and the reading of those files that replacing shares.

#include <string>
#include <vector>

#include "collection/BitmapEditing.h"
#include "media/Image.h"

namespace brae {

// Messages ('%s' is the file name).
constexpr const char* kImageWrongFormat = "'%s': The file is not of the right format.";
constexpr const char* kImageReadError = "'%s': An error occurred while reading the image data.";
constexpr const char* kImageNotPaletted = "'%s': The image is not 8-bit paletted.";
constexpr const char* kImageNotGreyscale = "'%s': The image is not 8-bit greyscale.";
constexpr const char* kImageTooLarge =
    "'%s': The image is too large for a collection bitmap (%d x %d pixels).";
constexpr const char* kPaletteIncompatibleQuestion =
    "'%s': The image is not compatible with the existing color table.\nWould you like to "
    "replace the color table in the tag with the one in the file?";
constexpr const char* kPaletteNotReplaced = "'%s': The color table could not be replaced.";
constexpr const char* kReplaceButton = "Replace";
constexpr const char* kCancelButton = "Cancel";
// The buttons of the kImageNotPaletted question.
constexpr const char* kConvertButton = "Convert";
constexpr const char* kSkipButton = "Skip";

// The file name that messages show (the path's last part).
std::string MessageFileName(const std::string& path);

// Reads an image file for a bitmap as it is stored, except that the pixels of a colour-indexed
// PNG file on the palette entries its tRNS chunk makes fully transparent come transparent (the
// image then in the two-byte form (alpha, index)). False with the message to show.
bool ReadImageForBitmap(const std::string& path, Image* out, std::string* message);
// Whether an image can become a bitmap as it is: 8-bit paletted (colour-indexed).
bool IsPalettedImage(const Image& image);
// Brings an image read by ReadImageForBitmap into the two-byte form (alpha, index) with its
// palette: colour-indexed images as they are, other images through the media library's
// conversion to colour-indexed (see ToIndexedAlpha; palette is the collection's). False when
// the image cannot be converted.
bool ToBitmapImage(Image* image, const CollectionPalette& palette);
// ReadImageForBitmap and ToBitmapImage for an image that must be 8-bit paletted
// (kImageNotPaletted otherwise). False with the message to show.
bool ReadBitmapImage(const std::string& path, const CollectionPalette& palette, Image* out,
                     std::string* message);
// Reads an 8-bit greyscale image (for shadows and alpha masks) as one byte per pixel. A
// colour-indexed image counts as greyscale when every palette entry that its pixels use is a
// grey (as BMP files store greyscale). False with the message to show.
bool ReadGreyImage(const std::string& path, Image* out, std::string* message);
// The greyscale test and conversion that ReadGreyImage applies: true (the image now 8-bit grey)
// for grey images and colour-indexed ones whose used entries are all grey.
bool ToGreyImage(Image* image);

// Adds one bitmap per file, at the end, named after the file's base name, by the palette rule.
// Every file is read first; if any cannot be read, nothing is added. A file that is not 8-bit
// paletted is then asked about with convert (kImageNotPaletted, "Convert" or "Skip"): yes
// converts it (ToBitmapImage), no leaves it out; without convert it is refused and nothing is
// added. When a file's colours cannot be merged, replace_palette is asked
// kPaletteIncompatibleQuestion; on yes the file's palette becomes the collection palette, on no
// the file is left out. result.bitmaps lists the indices of the added bitmaps.
OperationResult ImportBitmapsFromFiles(Collection* collection,
                                       const std::vector<std::string>& paths,
                                       const Question& replace_palette,
                                       const Question& convert = nullptr);

// A bitmap made from an image by the palette rule, merging into *palette; the question is asked
// as above. Null (with the message in result, or nothing when the user declined) on failure;
// *palette is then unchanged. take_image: the collection is new (CollectionTakesImagePalette).
std::unique_ptr<CollectionBitmap> BitmapFromImage(const Image& image, const std::string& path,
                                                  bool take_image, const Question& replace_palette,
                                                  CollectionPalette* palette,
                                                  OperationResult* result);

// A shadow bitmap from a greyscale image: index = grey value, alpha 255 above 0, flags 0x80.
std::unique_ptr<CollectionBitmap> ShadowFromGreyImage(const Image& grey, const std::string& name);

// Adds one shadow per file (all must be 8-bit greyscale, else none is added).
OperationResult ImportShadowsFromFiles(Collection* collection,
                                       const std::vector<std::string>& paths);

}  // namespace brae
