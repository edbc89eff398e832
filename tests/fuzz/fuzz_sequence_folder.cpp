// libFuzzer target: what the collection builders read from a sequence folder. The first byte
// chooses: even, the rest is a "script.txt" whose frame list then lays out the cells of a
// sequence (views from the second byte) over as many files as the text is long; odd, the rest
// is a sequence folder name.
#include <cstddef>
#include <cstdint>
#include <string>

#include "collection/FolderLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  if (data[0] % 2 == 1) {
    std::string name;
    int views = 0, frames = 0;
    if (brae::ParseSequenceFolderName(text, &name, &views, &frames) &&
        (views < 1 || frames < 1 || name.size() > text.size()))
      __builtin_trap();
    return 0;
  }
  const brae::SequenceScript script = brae::ParseSequenceScript(text);
  const int views = data[1] % 16 + 1;
  const int frames = script.frames ? int(script.frames->size()) : int(text.size() % 64);
  const brae::LayoutResult r =
      brae::LayOutCells(frames, views, int(text.size()), brae::BitmapOrder::kFramesThenViews,
                        script.frames);
  if (r.error != brae::LayoutError::kNone) return 0;
  // Every cell names a file that exists, or none.
  for (int file : r.layout.file_of_cell) {
    if (file < -1 || file >= int(text.size())) __builtin_trap();
  }
  return 0;
}
