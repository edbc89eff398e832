// libFuzzer target: the PNG reader over arbitrary file contents, header only and whole.
#include <cstddef>
#include <cstdint>

#include "FuzzFile.h"
#include "media/PngFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = FuzzFilePath(".png");
  if (!WriteFuzzFile(path, data, size)) return 0;
  brae::Image image;
  brae::ReadPng(path, &image, true);
  brae::ReadPng(path, &image, false);
  return 0;
}
