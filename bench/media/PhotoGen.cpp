// photogen OUT [SIZE] [--alpha]: writes the benchmarks' photo-like picture (SIZE x SIZE, 1024 by
// default) as BMP, PNG or TIFF after OUT's extension, so that other programs can be timed on it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "media/MediaFile.h"
#include "media/PhotoImage.h"

int main(int argc, char** argv) {
  bool alpha = false;
  const char* out = nullptr;
  int size = 1024;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--alpha") == 0) {
      alpha = true;
    } else if (!out) {
      out = argv[i];
    } else {
      char* end = nullptr;
      const long n = std::strtol(argv[i], &end, 10);
      if (*end != '\0' || n < 1 || n > 8192) {
        std::fprintf(stderr, "photogen: bad size '%s' (1-8192)\n", argv[i]);
        return 2;
      }
      size = int(n);
    }
  }
  if (!out) {
    std::fprintf(stderr, "usage: photogen OUT.bmp|png|tiff [SIZE] [--alpha]\n");
    return 2;
  }
  brae::MediaFile file(out);
  file.image = brae::bench::MakePhotoImage(size, alpha);
  if (!file.Write()) {
    std::fprintf(stderr, "photogen: %s\n", file.Error().c_str());
    return 2;
  }
  std::printf("%s\n", out);
  return 0;
}
