// libFuzzer target: the TIFF reader over arbitrary file contents, header only and whole.
#include <cstddef>
#include <cstdint>

#include "FuzzFile.h"
#include "media/TiffFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = FuzzFilePath(".tif");
  if (!WriteFuzzFile(path, data, size)) return 0;
  brae::Image image;
  brae::ReadTiff(path, &image, true);
  brae::ReadTiff(path, &image, false);
  return 0;
}
