// libFuzzer target: a detail image import over arbitrary file contents, for a map of the size
// the image states (when it is a whole number of blocks) and for a map of one vertex.
#include <cstddef>
#include <cstdint>

#include "FuzzFile.h"
#include "media/MediaFile.h"
#include "terrain/DetailImages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = FuzzFilePath(".png");
  if (!WriteFuzzFile(path, data, size)) return 0;
  brae::MediaFile file(path, brae::MediaGroup::kImage);
  int w = 1, h = 1;
  if (file.ReadHeader() && file.image.width % 8 == 0 && file.image.height % 8 == 0 &&
      file.image.width <= 2048 && file.image.height <= 2048) {
    w = file.image.width / 8;
    h = file.image.height / 8;
  }
  bool protect[brae::kDetailMaterialCount] = {true, false, true};
  for (brae::DetailKind kind : {brae::DetailKind::kVertex, brae::DetailKind::kTriangle}) {
    brae::DetailMap map = brae::CreateBlankDetailMap(w, h);
    brae::ImportDetailImageFile(map, kind, path, brae::DetailProtection{protect, false});
  }
  return 0;
}
