#include "collection/BuildSteps.h"

#include <algorithm>
#include <climits>
#include <map>
#include <unordered_set>

#include "collection/CollectionImport.h"
#include "collection/PaletteMerge.h"
#include "media/Quantizer.h"

namespace brae {

namespace {

// The files a layout uses, each once, in order of first use.
std::vector<int> FilesUsed(const CellLayout& layout) {
  std::vector<int> used;
  std::vector<bool> seen;
  for (int file : layout.file_of_cell) {
    if (file < 0) continue;
    if (size_t(file) >= seen.size()) seen.resize(size_t(file) + 1, false);
    if (seen[size_t(file)]) continue;
    seen[size_t(file)] = true;
    used.push_back(file);
  }
  return used;
}

uint32_t ColourKey(const Rgb& c) {
  return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
}

Rgb EntryOf(const Palette& p, int i) {
  const int count = std::clamp(p.count, 1, 256);
  return p.entries[i < count ? i : 0];
}

// The colours that entries 0 and 1 of the collection will hold once the store's pictures are
// added: the collection's own when it has bitmaps or a palette, else the first picture's.
void ReservedColours(const ImageStore& store, const Collection& collection, Rgb reserved[2]) {
  if (!CollectionTakesImagePalette(collection)) {
    for (int i = 0; i < 2; ++i) {
      const PaletteColor& c = collection.palette[size_t(i)];
      reserved[i] = Rgb{c.r, c.g, c.b};
    }
  } else if (store.Size() > 0 && !store.At(0).true_colour) {
    for (int i = 0; i < 2; ++i) reserved[i] = EntryOf(store.At(0).palette, i);
  } else {
    reserved[0] = Rgb{255, 0, 255};
    reserved[1] = Rgb{0, 255, 255};
  }
}

// Palette slots still free in a collection that already has its palette: entries 2 to 255 that
// repeat a lower entry's colour.
int FreeSlots(const Collection& collection) {
  if (CollectionTakesImagePalette(collection)) return 254;
  std::unordered_set<uint32_t> seen;
  int free = 0;
  for (int i = 0; i < 256; ++i) {
    const PaletteColor& c = collection.palette[size_t(i)];
    if (!seen.insert(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b).second && i >= 2) ++free;
  }
  return free;
}

}  // namespace

int16_t ClampPoint(int value) {
  return int16_t(std::clamp(value, int(INT16_MIN), int(INT16_MAX)));
}

size_t CountPlaced(const std::vector<PlacedPicture>& cells) {
  return size_t(std::count_if(cells.begin(), cells.end(),
                              [](const PlacedPicture& p) { return p.stored >= 0; }));
}

bool CheckSequenceFiles(const std::string& folder_name, const SequenceFiles& files, int frames,
                        int views, BitmapOrder order, const BuildLog& log, CellLayout* layout) {
  const int colours = int(files.colours.size());
  if (!files.alphas.empty() && files.alphas.size() != files.colours.size()) {
    log(FormatMessage("ERROR: found %d alphas for sequence '%s', expected %d\n",
                      int(files.alphas.size()), folder_name.c_str(), colours));
    return false;
  }
  const LayoutResult laid = LayOutCells(frames, views, colours, order, files.script.frames);
  switch (laid.error) {
    case LayoutError::kFrameListLength:
      log(
          FormatMessage("ERROR: script.txt in sequence folder '%s' specifies %d frames, expected "
                        "%d\n",
                        folder_name.c_str(), int(files.script.frames->size()), frames));
      return false;
    case LayoutError::kTooFewFiles:
      log(FormatMessage("ERROR: sequence folder '%s' contains %d bitmaps, expected %d\n",
                        folder_name.c_str(), colours, laid.layout.files_needed));
      return false;
    case LayoutError::kFrameTooLarge:
      log(
          FormatMessage("ERROR: script.txt in sequence folder '%s' specified a frame index (%d), "
                        "larger than the number of frames found in the folder (%d).\n",
                        folder_name.c_str(), laid.bad_frame, laid.layout.folder_frames));
      return false;
    case LayoutError::kTooManyCells:
      log(FormatMessage("ERROR: sequence folder '%s' has too many cells (%d views, %d frames)\n",
                        folder_name.c_str(), views, frames));
      return false;
    case LayoutError::kNone:
      break;
  }
  if (laid.extra_files) {
    log(
        FormatMessage("WARNING: sequence folder '%s' contains %d bitmaps, expected %d. Some "
                      "bitmaps will not be used.\n",
                      folder_name.c_str(), colours, laid.layout.files_needed));
  }
  *layout = laid.layout;
  return true;
}

// ---- Loading

void PictureLoader::AddToTotal(const CellLayout& layout, const SequenceFiles&) {
  total_ += int(FilesUsed(layout).size());
}

bool PictureLoader::Load(const CellLayout& layout, const SequenceFiles& files, const BuildLog& log,
                         LoadedSequence* out) {
  *out = LoadedSequence();
  const std::vector<int> used = FilesUsed(layout);
  std::map<int, int> picture_of_file;
  bool indexed = false, true_colour = false;
  for (size_t k = 0; k < used.size(); ++k) {
    const int file = used[k];
    const std::string& colour = files.colours[size_t(file)];
    CellImage picture;
    std::string error;
    const bool loaded =
        LoadCellImage(colour, files.alphas.empty() ? std::string() : files.alphas[size_t(file)],
                      options_, &picture, &error);
    ++done_;
    if (progress_) progress_(BuildProgress{done_, total_, colour});
    if (!loaded) {
      log(error);
      out->failed_file = colour;
      done_ += int(used.size() - k - 1);  // the rest of the sequence is skipped
      return false;
    }
    (picture.true_colour ? true_colour : indexed) = true;
    CropToVisible(&picture);
    if (picture.Empty()) {
      picture_of_file[file] = -1;  // nothing visible: its cells stay empty
      continue;
    }
    picture_of_file[file] = int(out->pictures.size());
    out->pictures.push_back(std::move(picture));
    out->sources.push_back(colour);
  }
  out->cells.resize(layout.file_of_cell.size());
  for (size_t i = 0; i < layout.file_of_cell.size(); ++i) {
    const int file = layout.file_of_cell[i];
    if (file < 0) continue;
    const int p = picture_of_file[file];
    if (p < 0) continue;
    out->cells[i] =
        PlacedPicture{p, out->pictures[size_t(p)].crop_left, out->pictures[size_t(p)].crop_top};
  }
  out->path = indexed && true_colour ? PicturePath::kMixed
              : true_colour          ? PicturePath::kTrueColour
              : indexed              ? PicturePath::kIndexed
                                     : PicturePath::kNone;
  return true;
}

void StoreSequence(LoadedSequence* sequence, ImageStore* store) {
  std::vector<int> stored(sequence->pictures.size());
  for (size_t i = 0; i < sequence->pictures.size(); ++i)
    stored[i] = int(store->Add(std::move(sequence->pictures[i]), sequence->sources[i]));
  for (PlacedPicture& cell : sequence->cells) {
    if (cell.stored >= 0) cell.stored = stored[size_t(cell.stored)];
  }
  sequence->pictures.clear();
}

bool PictureLoader::LoadSequence(const CellLayout& layout, const SequenceFiles& files,
                                 const BuildLog& log, ImageStore* store,
                                 std::vector<PlacedPicture>* cells, PicturePath* path) {
  LoadedSequence loaded;
  if (!Load(layout, files, log, &loaded)) return false;
  StoreSequence(&loaded, store);
  *cells = std::move(loaded.cells);
  *path = loaded.path;
  return true;
}

void LogPicturePath(const std::string& sequence, PicturePath path, const BuildLog& log) {
  const char* text = nullptr;
  switch (path) {
    case PicturePath::kIndexed:
      text = "sequence '%s': 8-bit color indexed frames, kept as they are\n";
      break;
    case PicturePath::kTrueColour:
      text = "sequence '%s': true-color frames, mapped to one palette for the whole collection\n";
      break;
    case PicturePath::kMixed:
      text =
          "sequence '%s': 8-bit color indexed and true-color frames; the true-color ones are "
          "mapped to one palette for the whole collection\n";
      break;
    case PicturePath::kNone:
      text = "sequence '%s': no visible frames\n";
      break;
  }
  log(FormatMessage(text, sequence.c_str()));
}

// ---- True colour

void QuantizeTrueColour(ImageStore* store, const Collection& collection, const BuildLog& log) {
  std::vector<size_t> rgb;
  for (size_t i = 0; i < store->Size(); ++i) {
    if (store->At(i).true_colour) rgb.push_back(i);
  }
  if (rgb.empty()) return;
  Rgb reserved[2];
  ReservedColours(*store, collection, reserved);
  // The colours the colour-indexed pictures will bring (the palette rule merges every entry).
  std::unordered_set<uint32_t> indexed_colours;
  for (size_t i = 0; i < store->Size(); ++i) {
    const CellImage& p = store->At(i);
    if (p.true_colour) continue;
    for (int e = 0; e < std::clamp(p.palette.count, 1, 256); ++e)
      indexed_colours.insert(ColourKey(p.palette.entries[e]));
  }
  indexed_colours.erase(ColourKey(reserved[0]));
  indexed_colours.erase(ColourKey(reserved[1]));
  // A collection that has its palette already offers its colours (entries 2 to 255 that are not
  // free); only the free slots take new ones.
  std::vector<Rgb> existing;
  if (!CollectionTakesImagePalette(collection)) {
    std::unordered_set<uint32_t> seen;
    for (int i = 0; i < 256; ++i) {
      const PaletteColor& c = collection.palette[size_t(i)];
      const uint32_t key = ColourKey(Rgb{c.r, c.g, c.b});
      if (seen.insert(key).second && i >= 2) existing.push_back(Rgb{c.r, c.g, c.b});
      indexed_colours.erase(key);
    }
  }
  const int room = std::min(FreeSlots(collection) - int(indexed_colours.size()), 254);

  // One colour list over every visible pixel of every true-colour picture.
  std::vector<uint8_t> visible;
  for (size_t i : rgb) {
    const CellImage& p = store->At(i);
    for (size_t k = 0; k < p.pixels.size(); k += 4) {
      if (p.pixels[k + 3]) visible.insert(visible.end(), &p.pixels[k], &p.pixels[k] + 4);
    }
  }
  std::vector<Rgb> chosen;
  if (room > 0 || existing.empty()) {
    chosen = ChoosePalette(BuildColorList(visible.data(), visible.size() / 4), std::max(room, 1));
  }
  visible = std::vector<uint8_t>();
  for (Rgb& c : chosen) {
    // A colour equal to entry 0 or 1 would be transparent; move it by one step.
    while (c == reserved[0] || c == reserved[1]) c.b = uint8_t(c.b + 1);
  }
  const int computed = int(chosen.size());
  chosen.insert(chosen.begin(), existing.begin(), existing.end());
  if (chosen.size() > 254) chosen.resize(254);
  Palette palette;
  palette.count = int(chosen.size()) + 2;
  palette.entries[0] = reserved[0];
  palette.entries[1] = reserved[1];
  for (size_t k = 0; k < chosen.size(); ++k) palette.entries[k + 2] = chosen[k];
  // One search for every picture: its cells fill as the pictures need them.
  const NearestColor nearest(chosen);
  for (size_t i : rgb) {
    CellImage& p = store->At(i);
    std::vector<uint8_t> mapped(size_t(p.width) * size_t(p.height) * 2);
    MapWithDiffusion(p.pixels.data(), p.width, p.height, chosen, nearest, 2, mapped.data());
    for (size_t k = 1; k < mapped.size(); k += 2) mapped[k] = uint8_t(mapped[k] + 2);
    p.pixels = std::move(mapped);
    p.palette = palette;
    p.true_colour = false;
  }
  log(FormatMessage("true-color frames: %d bitmaps mapped to %d colors (%d of them computed)\n",
                    int(rgb.size()), int(chosen.size()), computed));
}

// ---- Bitmaps

std::vector<CollectionBitmap*> AddStoredBitmaps(ImageStore* store, Collection* collection,
                                                const BuildLog& log) {
  std::vector<CollectionBitmap*> bitmaps(store->Size(), nullptr);
  for (size_t i = 0; i < store->Size(); ++i) {
    CellImage& p = store->At(i);
    const std::string& source = store->SourceOf(i);
    const std::string name = FileBaseName(source).substr(0, kItemNameLength);
    if (p.true_colour) {
      log(FormatMessage("ERROR: The bitmap '%s' was neither 8 or 16-bit\n", name.c_str()));
      continue;
    }
    Image image;
    image.format = PixelFormat::kIndexedAlpha;
    image.width = p.width;
    image.height = p.height;
    image.palette = p.palette;
    image.pixels = std::move(p.pixels);
    OperationResult ignored;
    CollectionPalette palette = collection->palette;
    auto bitmap = BitmapFromImage(image, source, CollectionTakesImagePalette(*collection), nullptr,
                                  &palette, &ignored);
    p.pixels = std::vector<uint8_t>();  // done with them
    if (!bitmap) {
      log(FormatMessage("ERROR: The bitmap '%s' could not be added (palette mismiatch?)\n",
                        name.c_str()));
      continue;
    }
    collection->palette = palette;
    bitmaps[i] = collection->AddBitmap(std::move(bitmap));
  }
  return bitmaps;
}

}  // namespace brae
