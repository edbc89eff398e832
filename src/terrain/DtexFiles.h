#pragma once
// Detail textures from and to image files: the import accepts only RGB images whose sides are
// powers of two no larger than 2048 (the largest power of two the coder's 12-bit fields hold);
// the export writes the pixels as an RGB BMP, PNG or TIFF file after the path's extension.

#include <optional>
#include <string>

#include "media/Image.h"
#include "terrain/DtexImage.h"

namespace brae {

constexpr int kDtexMaxImportSide = 2048;
constexpr const char* kDtexPowerOfTwoText =
    "The texture must have dimensions that are powers of two.";
constexpr const char* kDtexWriteFailedText = "The file could not be written.";
constexpr const char* kDtexTooLargeText = "The texture must not be larger than 2048 x 2048.";

// Whether a picture of this format and size can become a detail texture; the reason in error.
bool CheckDtexImport(PixelFormat format, int width, int height, std::string* error);
// The detail texture of an RGB picture; nullopt (with the reason) for anything else.
std::optional<DtexImage> DtexFromImage(const Image& image, std::string* error);
// The RGB picture of a detail texture.
Image ImageFromDtex(const DtexImage& dtex);

// Reads an image file for import. The header is checked before the pixels are read.
std::optional<DtexImage> ReadDtexImageFile(const std::string& path, std::string* error);
// Writes the texture as an image file. The file appears complete or not at all: the data goes
// to a scratch file beside it that replaces the target only once it is written.
bool WriteDtexImageFile(const DtexImage& dtex, const std::string& path, std::string* error);

}  // namespace brae
