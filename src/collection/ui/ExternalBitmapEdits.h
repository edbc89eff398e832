#pragma once
// The bitmaps and shadows of one collection editor that are being edited in the user's paint
// program ("Edit in External Editor"). Each is written as a PNG file into the work folder of the
// run (named after the collection and the bitmap) and watched; whenever the paint program has
// saved it, the bitmap's tab replaces the bitmap from the file as one undo step.
//
// Bitmaps are known by their serial, so a watch outlives any replacement of the bitmap objects
// (undo, redo) and ends when its bitmap leaves the collection.

#include <cstdint>
#include <string>
#include <vector>

namespace brae {

class Collection;
class CollectionBitmap;
class X256BitmapBrowser;

constexpr const char* kEditExternallyItem = "Edit in External Editor";
constexpr const char* kStopExternalEditingItem = "Stop External Editing";

class ExternalBitmapEdits {
 public:
  // The browsers replace the bitmaps of their mode.
  ExternalBitmapEdits(Collection* collection, X256BitmapBrowser* bitmaps,
                      X256BitmapBrowser* shadows);
  ~ExternalBitmapEdits();
  ExternalBitmapEdits(const ExternalBitmapEdits&) = delete;
  ExternalBitmapEdits& operator=(const ExternalBitmapEdits&) = delete;

  // Writes the bitmaps (again, for those already being edited), watches them and starts the
  // external editor on their files. Bitmaps that cannot be written are reported and left out.
  void Start(const std::vector<CollectionBitmap*>& bitmaps);
  void Stop(const std::vector<CollectionBitmap*>& bitmaps);
  void StopAll();
  // Ends the watches of bitmaps that are no longer in the collection.
  void Prune();
  bool IsEditing(const CollectionBitmap* bitmap) const;
  // The work file of a bitmap being edited (empty otherwise).
  std::string FileOf(const CollectionBitmap* bitmap) const;
  size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    uint32_t serial = 0;
    int watch = 0;
  };
  void OnWritten(uint32_t serial, const std::string& path);
  const Entry* Find(uint32_t serial) const;

  Collection* collection_;
  X256BitmapBrowser* bitmaps_;
  X256BitmapBrowser* shadows_;
  std::vector<Entry> entries_;
};

}  // namespace brae
