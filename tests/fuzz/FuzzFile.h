#pragma once
// The readers that take a path get the fuzzer's bytes through one temporary file per process.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

inline const std::string& FuzzFilePath(const char* suffix) {
  static const std::string path =
      "/tmp/brae-fuzz-" + std::to_string(getpid()) + std::string(suffix);
  return path;
}

inline bool WriteFuzzFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}
