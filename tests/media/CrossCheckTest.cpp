// Our readers' and writers' results compared with independent tools: ffmpeg's IMA QuickTime
// decoder for IMA4 packets, ImageMagick for the image files we write, and our readers against
// ImageMagick's own decoding of the many kinds of files it writes. Skipped when the tools are
// missing.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstring>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/Ima4.h"
#include "media/MediaFile.h"
#include "media/PixelConvert.h"
#include "tagstore/ByteOrder.h"

namespace brae {
namespace {

using test::TempDir;

// The 80-bit IEEE extended number of a positive integer.
void PutExtended(std::vector<uint8_t>& b, size_t at, uint32_t value) {
  int exponent = 31;
  while (!(value & 0x80000000u)) {
    value <<= 1;
    --exponent;
  }
  test::PutBE16(b, at, uint16_t(16383 + exponent));
  test::PutBE32(b, at + 2, value);
  test::PutBE32(b, at + 6, 0);
}

// An AIFF-C file holding IMA4 packets, the container ffmpeg reads them from.
std::vector<uint8_t> AifcIma4(const std::vector<uint8_t>& packets, int channels, uint32_t rate) {
  std::vector<uint8_t> b(12 + 12 + 8 + 24 + 16, 0);
  std::memcpy(&b[0], "FORM", 4);
  std::memcpy(&b[8], "AIFC", 4);
  std::memcpy(&b[12], "FVER", 4);
  test::PutBE32(b, 16, 4);
  test::PutBE32(b, 20, 0xA2805140u);
  std::memcpy(&b[24], "COMM", 4);
  test::PutBE32(b, 28, 24);
  test::PutBE16(b, 32, uint16_t(channels));
  test::PutBE32(b, 34, uint32_t(packets.size() / 34 / size_t(channels)));
  test::PutBE16(b, 38, 16);
  PutExtended(b, 40, rate);
  std::memcpy(&b[50], "ima4", 4);
  // an empty compression name and its pad byte: b[54], b[55]
  std::memcpy(&b[56], "SSND", 4);
  test::PutBE32(b, 60, uint32_t(8 + packets.size()));
  b.insert(b.end(), packets.begin(), packets.end());
  test::PutBE32(b, 4, uint32_t(b.size() - 8));
  return b;
}

// The step index a packet ends with, from its codes alone.
int FinalStepIndex(const uint8_t* packet) {
  int index = std::min(packet[1] & 0x7F, 88);
  for (int i = 0; i < 32; ++i) {
    for (int code : {packet[2 + i] & 0x0F, packet[2 + i] >> 4}) {
      index = std::clamp(index + kImaIndexTable[code], 0, 88);
    }
  }
  return index;
}

// Random packets. ffmpeg carries the previous packet's exact predictor over when the next
// header repeats the step index (a QuickTime habit the stored format does not have), so each
// header's step index differs from the one its channel's previous packet ended with.
std::vector<uint8_t> RandomPackets(int frames, int channels, uint32_t seed) {
  std::vector<uint8_t> packets(size_t(frames * channels) * 34);
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  std::vector<int> last(size_t(channels), -1);
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) {
      uint8_t* p = &packets[size_t(f * channels + c) * 34];
      for (int i = 2; i < 34; ++i) p[i] = uint8_t(next());
      int index = int(next() % 89);
      if (index == last[size_t(c)]) index = (index + 1) % 89;
      const uint16_t header = uint16_t((next() & 0xFF80) | uint32_t(index));
      p[0] = uint8_t(header >> 8);
      p[1] = uint8_t(header);
      last[size_t(c)] = FinalStepIndex(p);
    }
  }
  return packets;
}

TEST(CrossCheckTest, Ima4AgainstFfmpeg) {
  if (test::FindProgram({"ffmpeg"}).empty()) GTEST_SKIP() << "ffmpeg is not installed";
  TempDir dir;
  for (int channels : {1, 2}) {
    const int frames = 300;
    const std::vector<uint8_t> packets = RandomPackets(frames, channels, 77u + uint32_t(channels));
    const std::string in = dir.Path() + "/in.aifc", out = dir.Path() + "/out.raw";
    test::WriteBytes(in, AifcIma4(packets, channels, 22050));
    ASSERT_EQ(test::RunCommand("ffmpeg -v error -y -i '" + in + "' -f s16le -acodec pcm_s16le '" +
                               out + "'"),
              0);
    const std::vector<uint8_t> theirs = test::ReadBytes(out);
    ASSERT_EQ(theirs.size(), size_t(frames) * 64 * size_t(channels) * 2);

    std::vector<int16_t> ours(size_t(frames) * 64 * size_t(channels));
    for (int f = 0; f < frames; ++f) {
      for (int c = 0; c < channels; ++c) {
        DecodeIma4Packet(&packets[size_t(f * channels + c) * 34],
                         &ours[size_t(f) * 64 * size_t(channels) + size_t(c)], size_t(channels));
      }
    }
    for (size_t i = 0; i < ours.size(); ++i) {
      const int16_t sample = int16_t(theirs[2 * i] | theirs[2 * i + 1] << 8);
      ASSERT_EQ(ours[i], sample) << "channels " << channels << " sample " << i;
    }
  }
}

TEST(CrossCheckTest, WrittenImagesAgainstImageMagick) {
  const std::string convert = test::FindProgram({"convert-im6.q16", "magick", "convert"});
  if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  for (const char* extension : {".bmp", ".png", ".tiff"}) {
    for (PixelFormat f :
         {PixelFormat::kIndexed, PixelFormat::kGrey, PixelFormat::kRgb, PixelFormat::kRgba}) {
      const std::string what = std::string(extension) + " " + PixelFormatName(f);
      MediaFile file(dir.Path() + "/x" + extension);
      file.image = test::MakeTestImage(f, 37, 11, true);
      ASSERT_TRUE(file.Write()) << what;
      const std::string raw = dir.Path() + "/x.rgba";
      ASSERT_EQ(test::RunCommand(convert + " '" + file.path + "' -depth 8 'rgba:" + raw + "'"), 0)
          << what;
      const std::vector<uint8_t> theirs = test::ReadBytes(raw);
      std::vector<uint8_t> ours = ExpandToRgba(file.image);
      if (f == PixelFormat::kRgba && std::string(extension) == ".tiff") {
        // ImageMagick reads RGBA TIFF files through libtiff's RGBA interface, which
        // premultiplies unassociated alpha as (v · a + 127) / 255.
        for (size_t i = 0; i < ours.size(); i += 4) {
          for (size_t c = 0; c < 3; ++c)
            ours[i + c] = uint8_t((ours[i + c] * ours[i + 3] + 127) / 255);
        }
      }
      ASSERT_EQ(theirs.size(), ours.size()) << what;
      for (size_t i = 0; i < ours.size(); ++i) {
        ASSERT_EQ(int(theirs[i]), int(ours[i])) << what << " byte " << i;
      }
    }
  }
}

// What kind of file a path holds, in the terms that tell the variants apart.
std::string KindOf(const std::string& path) {
  const std::vector<uint8_t> b = test::ReadBytes(path);
  if (b.size() >= 34 && b[0] == 'B' && b[1] == 'M') {
    const uint32_t header = LoadLE32(&b[14]);
    if (header == 12) return "BMP 12, " + std::to_string(LoadLE16(&b[24])) + " bits";
    return "BMP " + std::to_string(header) + ", " + std::to_string(LoadLE16(&b[28])) +
           " bits, compression " + std::to_string(LoadLE32(&b[30]));
  }
  if (b.size() >= 29 && b[0] == 0x89 && b[1] == 'P') {
    const bool trns = std::string(b.begin(), b.end()).find("tRNS") != std::string::npos;
    return "PNG " + std::to_string(b[24]) + " bits, colour type " + std::to_string(b[25]) +
           (b[28] ? ", interlaced" : "") + (trns ? ", tRNS" : "");
  }
  TIFF* t = TIFFOpen(path.c_str(), "r");
  if (!t) return "unknown";
  uint16_t bits = 0, samples = 0, photometric = 0, planar = 0, compression = 0;
  TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetFieldDefaulted(t, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(t, TIFFTAG_COMPRESSION, &compression);
  const bool tiled = TIFFIsTiled(t);
  TIFFClose(t);
  return "TIFF " + std::to_string(samples) + " x " + std::to_string(bits) + " bits, photometric " +
         std::to_string(photometric) + ", planar " + std::to_string(planar) + ", compression " +
         std::to_string(compression) + (tiled ? ", tiled" : "");
}

TEST(CrossCheckTest, ReadsTheVariantsImageMagickWrites) {
  const std::string convert = test::FindProgram({"convert-im6.q16", "magick", "convert"});
  if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  // Sources: a noisy RGB picture, the same with varying alpha, and three flat colours.
  for (PixelFormat f : {PixelFormat::kRgb, PixelFormat::kRgba}) {
    MediaFile source(dir.Path() + (f == PixelFormat::kRgb ? "/rgb.png" : "/rgba.png"));
    source.image = test::MakeTestImage(f, 23, 9);
    ASSERT_TRUE(source.Write());
  }
  ASSERT_EQ(test::RunCommand(convert + " -size 8x4 xc:red -fill blue -draw 'rectangle 0,0 3,1' " +
                             "-fill lime -draw 'point 6,3' '" + dir.Path() + "/flat.png'"),
            0);

  struct Variant {
    const char* source;
    const char* options;
    const char* output;  // with ImageMagick's format prefix
    const char* kind;    // what KindOf must say of the file written
    PixelFormat format;
    int tolerance;      // 16-bit samples: ImageMagick rounds where the reader keeps the high byte
    bool ignore_alpha;  // tRNS on a palette, which the reader leaves aside
  };
  const Variant variants[] = {
      // BMP: OS/2 core headers, 40-byte headers, 124-byte headers; palettes, RLE8, bit fields.
      {"rgb", "-colors 2", "BMP2:a.bmp", "BMP 12, 1 bits", PixelFormat::kIndexed, 0, false},
      {"rgb", "-colors 16", "BMP2:b.bmp", "BMP 12, 4 bits", PixelFormat::kIndexed, 0, false},
      {"rgb", "-colors 200", "BMP2:c.bmp", "BMP 12, 8 bits", PixelFormat::kIndexed, 0, false},
      {"rgb", "", "BMP2:d.bmp", "BMP 12, 24 bits", PixelFormat::kRgb, 0, false},
      {"rgb", "-colors 2", "BMP3:e.bmp", "BMP 40, 1 bits, compression 0", PixelFormat::kIndexed, 0,
       false},
      {"rgb", "-colors 16", "BMP3:f.bmp", "BMP 40, 4 bits, compression 0", PixelFormat::kIndexed, 0,
       false},
      {"rgb", "-colors 200 -compress RLE", "BMP3:g.bmp", "BMP 40, 8 bits, compression 1",
       PixelFormat::kIndexed, 0, false},
      {"rgba", "-define bmp3:alpha=true", "BMP3:h.bmp", "BMP 40, 32 bits, compression 0",
       PixelFormat::kRgba, 0, false},
      {"rgba", "", "BMP:i.bmp", "BMP 124, 32 bits, compression 3", PixelFormat::kRgba, 0, false},
      {"rgb", "-colors 16", "BMP:j.bmp", "BMP 124, 4 bits, compression 0", PixelFormat::kIndexed, 0,
       false},
      {"rgb", "", "BMP:k.bmp", "BMP 124, 24 bits, compression 0", PixelFormat::kRgb, 0, false},
      {"rgb", "-colors 200 -compress RLE", "BMP:l.bmp", "BMP 124, 8 bits, compression 1",
       PixelFormat::kIndexed, 0, false},
      {"rgb", "-define bmp:subtype=RGB565", "BMP:m.bmp", "BMP 124, 16 bits, compression 3",
       PixelFormat::kRgb, 1, false},
      {"rgb", "-define bmp:subtype=RGB555", "BMP:n.bmp", "BMP 124, 16 bits, compression 3",
       PixelFormat::kRgb, 1, false},
      // ImageMagick widens 4-bit fields by shifting (15 becomes 240); the reader scales them
      // (15 becomes 255), so they differ by the field's value.
      {"rgba", "-define bmp:subtype=ARGB4444", "BMP:o.bmp", "BMP 124, 16 bits, compression 3",
       PixelFormat::kRgba, 15, false},
      {"rgba", "-define bmp:subtype=ARGB1555", "BMP:p.bmp", "BMP 124, 16 bits, compression 3",
       PixelFormat::kRgba, 1, false},
      // PNG: palettes below 8 bits, grey of every depth, 16-bit samples, grey with alpha,
      // interlacing, transparent colours.
      {"flat", "", "PNG:a.png", "PNG 2 bits, colour type 3", PixelFormat::kIndexed, 0, false},
      {"rgb", "-depth 8 +dither -colors 9", "PNG:b.png", "PNG 4 bits, colour type 3",
       PixelFormat::kIndexed, 0, false},
      {"rgb", "-depth 8 +dither -colors 12 -interlace PNG", "PNG:c.png",
       "PNG 4 bits, colour type 3, interlaced", PixelFormat::kIndexed, 0, false},
      {"rgb", "-colorspace gray -define png:color-type=0 -define png:bit-depth=1", "PNG:d.png",
       "PNG 1 bits, colour type 0", PixelFormat::kGrey, 0, false},
      {"rgb", "-colorspace gray -define png:color-type=0 -define png:bit-depth=2", "PNG:e.png",
       "PNG 2 bits, colour type 0", PixelFormat::kGrey, 0, false},
      {"rgb", "-colorspace gray -define png:color-type=0 -define png:bit-depth=4", "PNG:f.png",
       "PNG 4 bits, colour type 0", PixelFormat::kGrey, 0, false},
      {"rgb", "-colorspace gray -depth 16", "PNG:g.png", "PNG 16 bits, colour type 0",
       PixelFormat::kGrey, 1, false},
      {"rgba", "-depth 8 -colorspace gray -define png:color-type=4", "PNG:h.png",
       "PNG 8 bits, colour type 4", PixelFormat::kRgba, 0, false},
      {"rgba", "-colorspace gray -depth 16 -define png:color-type=4", "PNG:i.png",
       "PNG 16 bits, colour type 4", PixelFormat::kRgba, 1, false},
      {"rgb", "-depth 16", "PNG48:j.png", "PNG 16 bits, colour type 2", PixelFormat::kRgb, 1,
       false},
      {"rgba", "-depth 16", "PNG64:k.png", "PNG 16 bits, colour type 6", PixelFormat::kRgba, 1,
       false},
      {"rgb", "-interlace PNG", "PNG24:l.png", "PNG 8 bits, colour type 2, interlaced",
       PixelFormat::kRgb, 0, false},
      {"flat", "-transparent blue", "PNG24:m.png", "PNG 8 bits, colour type 2, tRNS",
       PixelFormat::kRgba, 0, false},
      {"flat", "-depth 16 -transparent blue", "PNG48:n.png", "PNG 16 bits, colour type 2, tRNS",
       PixelFormat::kRgba, 1, false},
      {"flat", "-transparent blue", "PNG:o.png", "PNG 2 bits, colour type 3, tRNS",
       PixelFormat::kIndexed, 0, true},
      // TIFF: 16-bit samples, sub-byte grey, palettes, tiles, separate planes, compressions.
      {"rgb", "-depth 16 -compress zip", "TIFF:a.tiff",
       "TIFF 3 x 16 bits, photometric 2, planar 1, compression 8", PixelFormat::kRgb, 1, false},
      {"rgb", "-colorspace gray -depth 16 -compress lzw", "TIFF:b.tiff",
       "TIFF 1 x 16 bits, photometric 1, planar 1, compression 5", PixelFormat::kGrey, 1, false},
      {"rgb", "-colorspace gray -depth 2 -compress none", "TIFF:c.tiff",
       "TIFF 1 x 2 bits, photometric 1, planar 1, compression 1", PixelFormat::kGrey, 0, false},
      {"rgb", "-colorspace gray -depth 4 -compress zip", "TIFF:d.tiff",
       "TIFF 1 x 4 bits, photometric 1, planar 1, compression 8", PixelFormat::kGrey, 0, false},
      {"rgb",
       "-colorspace gray -type bilevel -define quantum:polarity=min-is-white -compress group4",
       "TIFF:e.tiff", "TIFF 1 x 1 bits, photometric 0, planar 1, compression 4", PixelFormat::kGrey,
       0, false},
      {"rgb", "-depth 8 +dither -colors 9 -type palette -depth 4 -compress lzw", "TIFF:f.tiff",
       "TIFF 1 x 4 bits, photometric 3, planar 1, compression 5", PixelFormat::kIndexed, 0, false},
      {"rgb", "-depth 8 -define tiff:tile-geometry=16x16 -compress zip", "TIFF:g.tiff",
       "TIFF 3 x 8 bits, photometric 2, planar 1, compression 8, tiled", PixelFormat::kRgb, 0,
       false},
      {"rgb", "-depth 8 -interlace plane -compress lzw", "TIFF:h.tiff",
       "TIFF 3 x 8 bits, photometric 2, planar 2, compression 5", PixelFormat::kRgb, 0, false},
      {"rgba", "-depth 8 -colorspace gray -type GrayscaleAlpha -compress none", "TIFF:i.tiff",
       "TIFF 2 x 8 bits, photometric 1, planar 1, compression 1", PixelFormat::kRgba, 0, false},
  };
  for (const Variant& v : variants) {
    const std::string output = v.output;
    const std::string path = dir.Path() + "/" + output.substr(output.find(':') + 1);
    const std::string what = std::string(v.output) + " " + v.options;
    ASSERT_EQ(
        test::RunCommand(convert + " '" + dir.Path() + "/" + v.source + ".png' " + v.options +
                         " '" + output.substr(0, output.find(':') + 1) + path + "' 2>/dev/null"),
        0)
        << what;
    ASSERT_EQ(KindOf(path), v.kind) << what;

    MediaFile header(path, MediaGroup::kImage);
    ASSERT_TRUE(header.ReadHeader()) << what << ": " << header.Error();
    MediaFile file(path, MediaGroup::kImage);
    ASSERT_TRUE(file.ReadPixels()) << what << ": " << file.Error();
    EXPECT_EQ(file.image.format, v.format) << what;
    EXPECT_EQ(header.image.format, file.image.format) << what;
    EXPECT_EQ(header.image.palette.count, file.image.palette.count) << what;

    const std::string raw = dir.Path() + "/theirs.rgba";
    ASSERT_EQ(test::RunCommand(convert + " '" + path + "' -depth 8 'rgba:" + raw + "'"), 0) << what;
    const std::vector<uint8_t> theirs = test::ReadBytes(raw);
    const std::vector<uint8_t> ours = ExpandToRgba(file.image);
    ASSERT_EQ(theirs.size(), ours.size()) << what;
    int worst = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
      if (v.ignore_alpha && i % 4 == 3) continue;
      worst = std::max(worst, std::abs(int(theirs[i]) - int(ours[i])));
    }
    EXPECT_LE(worst, v.tolerance) << what;
  }
}

TEST(CrossCheckTest, RefusesWhatImageMagickWritesBeyondThePixelFormats) {
  const std::string convert = test::FindProgram({"convert-im6.q16", "magick", "convert"});
  if (convert.empty()) GTEST_SKIP() << "ImageMagick is not installed";
  TempDir dir;
  MediaFile source(dir.Path() + "/rgb.png");
  source.image = test::MakeTestImage(PixelFormat::kRgb, 5, 3);
  ASSERT_TRUE(source.Write());
  struct Case {
    const char* options;
    const char* reason;
  };
  const Case cases[] = {
      {"-colorspace CMYK", "CMYK TIFF images are not supported"},
      {"-define quantum:format=floating-point -depth 32",
       "TIFF images with floating-point samples are not supported"},
      {"-colorspace Lab", "CIE L*a*b* TIFF images are not supported"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Path() + "/x.tiff";
    ASSERT_EQ(test::RunCommand(convert + " '" + source.path + "' " + c.options + " 'TIFF:" + path +
                               "' 2>/dev/null"),
              0)
        << c.options;
    MediaFile file(path);
    EXPECT_FALSE(file.ReadHeader()) << c.options;
    EXPECT_EQ(file.Reason(), c.reason) << c.options;
  }
}

}  // namespace
}  // namespace brae
