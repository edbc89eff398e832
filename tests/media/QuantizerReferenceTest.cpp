// The quantiser's steps checked against plain reference versions written here: a colour list
// counted in an ordered map, k-means whose every pass scans the whole palette for every colour,
// and error diffusion over the whole picture with a full palette scan per pixel. Whatever the
// library does to be fast, its palettes, pass counts and indices must equal these.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>

#include "media/PixelConvert.h"
#include "media/Quantizer.h"

namespace brae {
namespace {

// ---------------------------------------------------------------------------------------------
// Reference versions

std::vector<WeightedColor> ReferenceColorList(const std::vector<uint8_t>& rgba) {
  std::map<uint32_t, uint32_t> counts;  // colour order
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
    if (rgba[i + 3] == 0) continue;
    ++counts[(uint32_t(rgba[i]) << 16) | (uint32_t(rgba[i + 1]) << 8) | rgba[i + 2]];
  }
  std::vector<WeightedColor> list;
  for (const auto& [key, count] : counts) {
    list.push_back({Rgb{uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key)}, count});
  }
  std::stable_sort(list.begin(), list.end(), [](const WeightedColor& a, const WeightedColor& b) {
    return a.weight < b.weight;
  });
  for (size_t i = 1; i < list.size(); ++i) {
    list[i].weight = std::min<uint64_t>(list[i].weight, uint64_t(list[i - 1].weight) * 3 / 2 + 1);
  }
  return list;
}

int Distance(int r, int g, int b, const Rgb& e) {
  return (r - e.r) * (r - e.r) + (g - e.g) * (g - e.g) + (b - e.b) * (b - e.b);
}

// Full scan; the first entry of the smallest distance wins.
int ReferenceNearest(int r, int g, int b, const std::vector<Rgb>& palette) {
  int best = 0, best_distance = Distance(r, g, b, palette[0]);
  for (size_t i = 1; i < palette.size(); ++i) {
    const int d = Distance(r, g, b, palette[i]);
    if (d < best_distance) best = int(i), best_distance = d;
  }
  return best;
}

int ReferenceRefine(const std::vector<WeightedColor>& colors, std::vector<Rgb>* palette,
                    int max_passes = 200) {
  const size_t k = palette->size();
  if (k == 0 || colors.empty()) return 0;
  std::vector<int> assignment(colors.size(), -1);
  int passes = 0;
  while (passes < max_passes) {
    ++passes;
    size_t changed = 0;
    for (size_t c = 0; c < colors.size(); ++c) {
      const Rgb& col = colors[c].color;
      const int entry = ReferenceNearest(col.r, col.g, col.b, *palette);
      if (entry != assignment[c]) ++changed;
      assignment[c] = entry;
    }
    const std::vector<Rgb> old = *palette;
    std::vector<int64_t> sr(k), sg(k), sb(k), w(k);
    std::vector<size_t> members(k);
    for (size_t c = 0; c < colors.size(); ++c) {
      const size_t e = size_t(assignment[c]);
      const int64_t cw = colors[c].weight;
      sr[e] += cw * colors[c].color.r;
      sg[e] += cw * colors[c].color.g;
      sb[e] += cw * colors[c].color.b;
      w[e] += cw;
      ++members[e];
    }
    for (size_t e = 0; e < k; ++e) {
      if (w[e] == 0) continue;
      (*palette)[e] = Rgb{uint8_t((sr[e] + w[e] / 2) / w[e]), uint8_t((sg[e] + w[e] / 2) / w[e]),
                          uint8_t((sb[e] + w[e] / 2) / w[e])};
    }
    // An entry without colours takes the colour lying farthest from the (old) entry that holds
    // the most colours; that entry keeps at least one.
    for (size_t e = 0; e < k; ++e) {
      if (members[e] != 0) continue;
      const size_t donor =
          size_t(std::max_element(members.begin(), members.end()) - members.begin());
      if (members[donor] <= 1) break;
      size_t farthest = 0;
      int farthest_distance = -1;
      for (size_t c = 0; c < colors.size(); ++c) {
        if (assignment[c] != int(donor)) continue;
        const Rgb& col = colors[c].color;
        const int d = Distance(col.r, col.g, col.b, old[donor]);
        if (d > farthest_distance) farthest_distance = d, farthest = c;
      }
      assignment[farthest] = int(e);
      --members[donor];
      members[e] = 1;
      (*palette)[e] = colors[farthest].color;
      ++changed;
    }
    if (changed == 0) break;
  }
  return passes;
}

std::vector<Rgb> ReferencePalette(const std::vector<WeightedColor>& colors, int max_colors) {
  if (colors.empty()) return {Rgb{}};
  std::vector<Rgb> palette;
  if (int(colors.size()) <= max_colors) {
    for (const WeightedColor& c : colors) palette.push_back(c.color);
    return palette;
  }
  palette = WuQuantize(colors, max_colors);  // the initial boxes are not the subject here
  ReferenceRefine(colors, &palette);
  return palette;
}

// The whole picture in ints; every pixel's error goes to its four later neighbours.
std::vector<uint8_t> ReferenceMap(const std::vector<uint8_t>& rgba, int width, int height,
                                  const std::vector<Rgb>& palette) {
  std::vector<int> v(size_t(width) * size_t(height) * 3);
  for (size_t i = 0; i < v.size() / 3; ++i) {
    for (size_t c = 0; c < 3; ++c) v[3 * i + c] = rgba[4 * i + c];
  }
  std::vector<uint8_t> out(size_t(width) * size_t(height));
  auto spread = [&](int x, int y, const int* error, int weight) {
    if (x < 0 || x >= width || y >= height) return;
    for (int c = 0; c < 3; ++c) {
      int& channel = v[(size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(c)];
      channel = std::clamp(channel + error[c] * weight / 64, 0, 255);
    }
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int* p = &v[(size_t(y) * size_t(width) + size_t(x)) * 3];
      const int index = ReferenceNearest(p[0], p[1], p[2], palette);
      const Rgb& e = palette[size_t(index)];
      const int error[3] = {p[0] - e.r, p[1] - e.g, p[2] - e.b};
      out[size_t(y) * size_t(width) + size_t(x)] = uint8_t(index);
      spread(x + 1, y, error, 21);
      spread(x - 1, y + 1, error, 9);
      spread(x, y + 1, error, 15);
      spread(x + 1, y + 1, error, 3);
    }
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Pictures, all RGBA, made from integers only

struct Picture {
  std::string name;
  int width, height;
  std::vector<uint8_t> rgba;
};

struct Lcg {
  uint32_t seed;
  int Next(int range) {
    seed = seed * 1664525u + 1013904223u;
    return int((seed >> 8) % uint32_t(range));
  }
};

Picture Make(const std::string& name, int width, int height,
             uint32_t (*pixel)(int x, int y, Lcg& random)) {
  Picture p{name, width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 4)};
  Lcg random{7};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t c = pixel(x, y, random);
      uint8_t* d = &p.rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
      d[0] = uint8_t(c >> 24), d[1] = uint8_t(c >> 16), d[2] = uint8_t(c >> 8), d[3] = uint8_t(c);
    }
  }
  return p;
}

uint32_t Pack(int r, int g, int b, int a = 255) {
  auto clamp = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
  return clamp(r) << 24 | clamp(g) << 16 | clamp(b) << 8 | clamp(a);
}

// Gradients, a shaded disc, a striped block and noise: thousands of colours in smooth runs.
uint32_t PhotoPixel(int x, int y, Lcg& random) {
  int r = 30 + x + y / 3, g = 60 + y * 3 / 2, b = 200 - x / 2 - y / 2;
  const int dx = x - 80, dy = y - 40;
  if (dx * dx + dy * dy < 900) r = 230 - dx - dy, g = 40 + dy, b = 40 - dx / 2;
  if (x > 20 && x < 45 && y > 50) r = g = b = (x % 4 < 2) ? 200 : 90;
  return Pack(r + random.Next(13) - 6, g + random.Next(13) - 6, b + random.Next(13) - 6);
}

// Five flat colours in blocks.
uint32_t FewPixel(int x, int y, Lcg&) {
  const uint32_t colours[] = {Pack(250, 10, 10), Pack(10, 250, 10), Pack(10, 10, 250),
                              Pack(128, 128, 128), Pack(0, 0, 0)};
  return colours[(x / 9 + y / 7) % 5];
}

// A lattice of 8 x 8 x 8 = 512 colours, spaced 32 apart, where many distances tie.
uint32_t LatticePixel(int x, int y, Lcg& random) {
  const int i = (x + y * 37 + random.Next(3)) % 512;
  return Pack((i & 7) * 32 + 16, ((i >> 3) & 7) * 32 + 16, (i >> 6) * 32 + 16);
}

// Random colours everywhere: almost every pixel has its own.
uint32_t NoisePixel(int, int, Lcg& random) {
  return Pack(random.Next(256), random.Next(256), random.Next(256));
}

uint32_t SinglePixel(int, int, Lcg&) {
  return Pack(90, 140, 33);
}

// Gradients where a third of the pixels are transparent with random colours (not listed, but
// still mapped) and others half transparent.
uint32_t AlphaPixel(int x, int y, Lcg& random) {
  const int a = (x + y) % 3 == 0 ? 0 : (x < 30 ? 128 : 255);
  if (a == 0) return Pack(random.Next(256), random.Next(256), random.Next(256), 0);
  return Pack(x * 2 + random.Next(5), y * 3, 255 - x - y + random.Next(9), a);
}

std::vector<Picture> Pictures() {
  return {Make("photo", 120, 90, PhotoPixel),    Make("few", 40, 30, FewPixel),
          Make("lattice", 64, 48, LatticePixel), Make("noise", 50, 40, NoisePixel),
          Make("single", 17, 5, SinglePixel),    Make("alpha", 70, 60, AlphaPixel)};
}

std::string Name(const std::vector<Rgb>& palette) {
  return std::to_string(palette.size()) + " entries";
}

// ---------------------------------------------------------------------------------------------
// The library against the references

// Colours used by many pixels: counts that differ only above their lowest 12 bits, equal
// counts, and one count above 65536, in a scrambled pixel order.
Picture ManyPixelsPerColour() {
  const uint32_t counts[] = {4097, 1, 8193, 4097, 5000, 3, 70000, 8195, 1, 4096, 12288, 5000};
  std::vector<uint32_t> pixels;
  for (size_t i = 0; i < std::size(counts); ++i) {
    for (uint32_t n = 0; n < counts[i]; ++n) pixels.push_back(Pack(int(i * 20), 255 - int(i), 7));
  }
  Lcg random{3};
  for (size_t i = pixels.size() - 1; i > 0; --i) {
    std::swap(pixels[i], pixels[size_t(random.Next(int(i + 1)))]);
  }
  Picture p{"many pixels per colour", int(pixels.size()), 1, {}};
  for (uint32_t c : pixels) {
    p.rgba.insert(p.rgba.end(), {uint8_t(c >> 24), uint8_t(c >> 16), uint8_t(c >> 8), 255});
  }
  return p;
}

TEST(QuantizerReferenceTest, ColorListsAreIdentical) {
  std::vector<Picture> pictures = Pictures();
  pictures.push_back(ManyPixelsPerColour());
  for (const Picture& p : pictures) {
    const std::vector<WeightedColor> want = ReferenceColorList(p.rgba);
    const std::vector<WeightedColor> got = BuildColorList(p.rgba.data(), p.rgba.size() / 4);
    ASSERT_EQ(got.size(), want.size()) << p.name;
    for (size_t i = 0; i < want.size(); ++i) {
      ASSERT_EQ(got[i].color, want[i].color) << p.name << " colour " << i;
      ASSERT_EQ(got[i].weight, want[i].weight) << p.name << " colour " << i;
    }
  }
}

TEST(QuantizerReferenceTest, PalettesPassesAndIndicesAreIdentical) {
  for (const Picture& p : Pictures()) {
    const std::vector<WeightedColor> colors = ReferenceColorList(p.rgba);
    for (int k : {2, 16, 255, 256}) {
      SCOPED_TRACE(p.name + ", " + std::to_string(k) + " colours");
      const std::vector<Rgb> want = ReferencePalette(colors, k);
      const std::vector<Rgb> got = ChoosePalette(colors, k);
      ASSERT_EQ(got, want);
      if (int(colors.size()) > k) {
        std::vector<Rgb> ref = WuQuantize(colors, k), lib = ref;
        EXPECT_EQ(RefinePalette(colors, &lib), ReferenceRefine(colors, &ref));
      }
      const std::vector<uint8_t> indices = ReferenceMap(p.rgba, p.width, p.height, want);
      std::vector<uint8_t> out(indices.size());
      MapWithDiffusion(p.rgba.data(), p.width, p.height, got, 1, out.data());
      ASSERT_EQ(out, indices);
      std::vector<uint8_t> two(indices.size() * 2);
      MapWithDiffusion(p.rgba.data(), p.width, p.height, got, 2, two.data());
      for (size_t i = 0; i < indices.size(); ++i) {
        ASSERT_EQ(two[2 * i], p.rgba[4 * i + 3]);
        ASSERT_EQ(two[2 * i + 1], indices[i]);
      }
    }
  }
}

// k-means from awkward starting palettes: repeated entries (exact ties, and empty entries that
// must take a colour over), entries far from every colour, more than 256 entries, few passes
// allowed.
TEST(QuantizerReferenceTest, RefinementFromAwkwardPalettesIsIdentical) {
  Lcg random{99};
  for (int round = 0; round < 12; ++round) {
    std::vector<WeightedColor> colors;
    const int spread = round % 3 == 0 ? 256 : round % 3 == 1 ? 24 : 4;
    const int count = 200 + random.Next(2000);
    for (int i = 0; i < count; ++i) {
      colors.push_back({Rgb{uint8_t(random.Next(spread)), uint8_t(random.Next(spread)),
                            uint8_t(random.Next(spread))},
                        uint32_t(1 + random.Next(round % 2 ? 1 : 40))});
    }
    const int k = round == 0 ? 300 : 2 + random.Next(255);  // more than 256 once
    std::vector<Rgb> start;
    for (int e = 0; e < k; ++e) {
      if (e > 0 && random.Next(4) == 0) {
        start.push_back(start[size_t(random.Next(e))]);  // a repeat
      } else if (random.Next(8) == 0) {
        start.push_back(Rgb{255, 255, uint8_t(random.Next(256))});  // far away
      } else {
        start.push_back(colors[size_t(random.Next(count))].color);
      }
    }
    for (int max_passes : {1, 3, 200}) {
      SCOPED_TRACE("round " + std::to_string(round) + ", " + Name(start) + ", " +
                   std::to_string(max_passes) + " passes");
      std::vector<Rgb> want = start, got = start;
      const int want_passes = ReferenceRefine(colors, &want, max_passes);
      EXPECT_EQ(RefinePalette(colors, &got, max_passes), want_passes);
      ASSERT_EQ(got, want);
    }
  }
}

// Many small cases, for the rarer paths of the faster k-means (colours that keep their entry
// while others move past them, cells skipped and looked at again).
TEST(QuantizerReferenceTest, ManySmallRefinementsAreIdentical) {
  Lcg random{2024};
  for (int round = 0; round < 600; ++round) {
    const int spread = 8 << random.Next(6);  // 8 to 256 levels
    const int count = 30 + random.Next(250);
    std::vector<WeightedColor> colors;
    for (int i = 0; i < count; ++i) {
      colors.push_back({Rgb{uint8_t(random.Next(spread)), uint8_t(random.Next(spread)),
                            uint8_t(random.Next(spread))},
                        uint32_t(1 + random.Next(1 + random.Next(60)))});
    }
    const int k = 2 + random.Next(random.Next(2) ? 30 : 120);
    std::vector<Rgb> want;
    for (int e = 0; e < k; ++e) {
      want.push_back(e > 0 && random.Next(6) == 0 ? want[size_t(random.Next(e))]
                                                  : colors[size_t(random.Next(count))].color);
    }
    std::vector<Rgb> got = want;
    const int want_passes = ReferenceRefine(colors, &want);
    ASSERT_EQ(RefinePalette(colors, &got), want_passes) << "round " << round;
    ASSERT_EQ(got, want) << "round " << round;
  }
}

// Mapping with palettes whose entries tie (repeats) or sit in one corner, so diffused values
// run to the ends of the channel range.
TEST(QuantizerReferenceTest, MappingWithTiesAndClampingIsIdentical) {
  const Picture photo = Make("photo", 120, 90, PhotoPixel);
  Lcg random{5};
  for (int round = 0; round < 6; ++round) {
    std::vector<Rgb> palette;
    const int k = round == 0 ? 1 : 2 + random.Next(255);
    for (int e = 0; e < k; ++e) {
      if (e > 0 && random.Next(3) == 0) {
        palette.push_back(palette[size_t(random.Next(e))]);
      } else if (round == 1) {
        palette.push_back(Rgb{uint8_t(random.Next(40)), uint8_t(random.Next(40)), 0});
      } else {
        palette.push_back(
            Rgb{uint8_t(random.Next(256)), uint8_t(random.Next(256)), uint8_t(random.Next(256))});
      }
    }
    SCOPED_TRACE("round " + std::to_string(round) + ", " + Name(palette));
    std::vector<uint8_t> out(size_t(photo.width) * size_t(photo.height));
    MapWithDiffusion(photo.rgba.data(), photo.width, photo.height, palette, 1, out.data());
    ASSERT_EQ(out, ReferenceMap(photo.rgba, photo.width, photo.height, palette));
  }
}

// The whole conversion against the references, from RGBA and from RGB.
TEST(QuantizerReferenceTest, ConversionToIndexedIsIdentical) {
  for (const Picture& p : Pictures()) {
    SCOPED_TRACE(p.name);
    const std::vector<Rgb> palette = ReferencePalette(ReferenceColorList(p.rgba), 256);
    Image image;
    image.format = PixelFormat::kRgba;
    image.width = p.width;
    image.height = p.height;
    image.pixels = p.rgba;
    ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kIndexed));
    ASSERT_EQ(image.palette.count, int(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) ASSERT_EQ(image.palette.entries[i], palette[i]);
    EXPECT_EQ(image.pixels, ReferenceMap(p.rgba, p.width, p.height, palette));
  }
}

uint64_t Digest(const Image& image) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  auto add = [&h](uint8_t v) { h = (h ^ v) * 1099511628211ull; };
  for (int i = 0; i < image.palette.count; ++i) {
    add(image.palette.entries[i].r), add(image.palette.entries[i].g),
        add(image.palette.entries[i].b);
  }
  for (uint8_t v : image.pixels) add(v);
  return h;
}

// Wu's boxes have no reference here: the digests of the whole conversion, taken from the first
// version of the quantiser, keep them (and everything else) from drifting.
TEST(QuantizerReferenceTest, DigestsOfWholeConversionsArePinned) {
  const struct {
    const char* picture;
    uint64_t digest;
  } pinned[] = {{"photo", 0x0e35d7a41e6713d4},
                {"lattice", 0xab465bddeb2356ff},
                {"noise", 0x0215bee8db934386},
                {"alpha", 0x2a616421fbc524e1}};
  for (const auto& pin : pinned) {
    for (const Picture& p : Pictures()) {
      if (p.name != pin.picture) continue;
      Image image;
      image.format = PixelFormat::kRgba;
      image.width = p.width;
      image.height = p.height;
      image.pixels = p.rgba;
      ASSERT_TRUE(ConvertPixelFormat(&image, PixelFormat::kIndexedAlpha));
      EXPECT_EQ(Digest(image), pin.digest) << p.name << " " << std::hex << Digest(image);
    }
  }
}

}  // namespace
}  // namespace brae
