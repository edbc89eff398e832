#pragma once
// "Export" and "Export Alpha": bitmaps written as image files, one to a file or many into a
// folder.

#include <string>
#include <vector>

#include "collection/BitmapEditing.h"
#include "media/FileTypes.h"
#include "media/Image.h"

namespace brae {

constexpr const char* kExportBitmapTitle = "Export Bitmap";
constexpr const char* kExportAlphaTitle = "Export Alpha";
constexpr const char* kExportFolderTitle = "Choose a destination folder";
constexpr const char* kExportModeLabel = "Mode:";
constexpr const char* kExportByNumbering = "By Numbering";
constexpr const char* kExportByBitmapName = "By Bitmap Name";
constexpr const char* kAlphaNameSuffix = " alpha";
constexpr const char* kExportNumberedName = "%s #%04d";
constexpr const char* kExportNamesNotDistinct =
    "Export by name is not possible because two or more of the selected bitmaps share the same "
    "name. Running the auto-rename function may be useful.";

// How the files of a folder export are named. The values are those of the preference
// "BitmapImportMappingMode" (0, 1); kByPosition is the command line's own naming.
enum class ExportNaming {
  kByNumbering = 0,  // "bitmap #0000", "alpha #0000", "shadow #0000" (position in the list)
  kByName = 1,       // the bitmap's name (" alpha" added for alphas)
  kByPosition = 2,   // "0007 Body" (index in the collection, then the name)
};

// The colour image: 8-bit indexed with the collection palette (shadows: the grey ramp),
// transparent pixels index 0 in RLE bitmaps and 1 in RAW ones; high-colour bitmaps as RGBA.
Image BitmapColourImage(const Collection& collection, const CollectionBitmap& bitmap);
// The alpha image: 8-bit greyscale of the alpha values.
Image BitmapAlphaImage(const CollectionBitmap& bitmap);

// The picture an external editor gets: an 8-bit bitmap (and a shadow) as for "Export", a
// bitmap of two bytes per pixel as RGBA (the palette colours with the alpha values).
Image BitmapEditImage(const Collection& collection, const CollectionBitmap& bitmap);
constexpr const char* kExternalHighColour =
    "The bitmap \"%s\" is a high-colour bitmap; it cannot be edited in an external editor.";
// Writes BitmapEditImage of the bitmap at index to path (format after its extension); refuses
// high-colour bitmaps (kExternalHighColour).
OperationResult WriteBitmapForEditing(const Collection& collection, size_t index,
                                      const std::string& path);

// A name made safe as a file name: no folder separators, reserved or control characters, and
// never "." or "..".
std::string SafeFileName(const std::string& name);
// The default name of a single export: the bitmap name, with " alpha" for an alpha export.
std::string DefaultExportName(const CollectionBitmap& bitmap, bool alpha);

// Writes one bitmap's colour or alpha image to path (format after its extension).
OperationResult ExportBitmapToFile(const Collection& collection, size_t index, bool alpha,
                                   const std::string& path);
// Writes the listed bitmaps into folder (created when missing) in the given image type. By
// name requires distinct names (compared without regard to case, as file names); nothing is
// written otherwise. written (when given) receives the paths written.
OperationResult ExportBitmapsToFolder(const Collection& collection,
                                      const std::vector<size_t>& indices, const std::string& folder,
                                      ExportNaming naming, bool alpha, MediaType type,
                                      std::vector<std::string>* written = nullptr);

}  // namespace brae
