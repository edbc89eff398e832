#include <gtest/gtest.h>
#include <tiffio.h>
#include <zlib.h>

#include <cstring>

#include "MediaTestUtil.h"
#include "TempDir.h"
#include "media/BmpFormat.h"
#include "media/MediaFile.h"
#include "media/PixelConvert.h"
#include "media/PngFormat.h"
#include "media/TiffFormat.h"

namespace brae {
namespace {

using test::MakeTestImage;
using test::TempDir;

const PixelFormat kFileFormats[] = {PixelFormat::kIndexed, PixelFormat::kGrey, PixelFormat::kRgb,
                                    PixelFormat::kRgba};

void ExpectSameImage(const Image& back, const Image& source, const std::string& what) {
  EXPECT_EQ(back.width, source.width) << what;
  EXPECT_EQ(back.height, source.height) << what;
  EXPECT_EQ(ExpandToRgba(back), ExpandToRgba(source)) << what;
}

// ---- Round trips through every writer and reader

TEST(ImageRoundTripTest, EveryFormatThroughEveryFileType) {
  TempDir dir;
  for (const char* extension : {".bmp", ".png", ".tiff"}) {
    for (PixelFormat f : kFileFormats) {
      for (bool full_palette : {false, true}) {
        const std::string what = std::string(extension) + " " + PixelFormatName(f);
        MediaFile out(dir.Path() + "/picture" + extension);
        out.image = MakeTestImage(f, 13, 6, full_palette);
        ASSERT_TRUE(out.Write()) << what << ": " << out.Error();
        MediaFile in(out.path, MediaGroup::kImage);
        ASSERT_TRUE(in.ReadPixels()) << what << ": " << in.Error();
        EXPECT_EQ(in.type, MediaTypeFromPath(out.path)) << what;
        ExpectSameImage(in.image, out.image, what);
        // Index formats keep their indices; the rest keep their bytes and format.
        if (f != PixelFormat::kGrey || std::string(extension) != ".bmp") {
          EXPECT_EQ(in.image.format, f) << what;
        }
        EXPECT_EQ(in.image.pixels, out.image.pixels) << what;
      }
    }
  }
}

TEST(ImageRoundTripTest, PaletteCountsSurvive) {
  TempDir dir;
  MediaFile out(dir.Path() + "/p.png");
  out.image = MakeTestImage(PixelFormat::kIndexed, 4, 4);  // 16 colours
  ASSERT_TRUE(out.Write());
  MediaFile in(out.path);
  ASSERT_TRUE(in.ReadHeader());
  EXPECT_EQ(in.image.palette.count, 16);
  EXPECT_TRUE(in.image.pixels.empty());
  EXPECT_EQ(in.size, uint64_t(std::filesystem::file_size(out.path)));

  // A TIFF colour map always has 256 entries; the rest are black.
  out.path = dir.Path() + "/p.tiff";
  ASSERT_TRUE(out.Write());
  MediaFile tiff(out.path);
  ASSERT_TRUE(tiff.ReadPixels());
  EXPECT_EQ(tiff.image.palette.count, 256);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(tiff.image.palette.entries[i], out.image.palette.entries[i]);
  EXPECT_EQ(tiff.image.palette.entries[16], Rgb{});
}

TEST(ImageWriteTest, TwoByteFormAndUnknownExtensionsAreRefused) {
  TempDir dir;
  for (const char* extension : {".bmp", ".png", ".tiff"}) {
    MediaFile out(dir.Path() + "/x" + extension);
    out.image = MakeTestImage(PixelFormat::kIndexedAlpha, 4, 4);
    EXPECT_FALSE(out.Write()) << extension;
  }
  MediaFile out(dir.Path() + "/x.gif");
  out.image = MakeTestImage(PixelFormat::kRgb, 4, 4);
  EXPECT_FALSE(out.Write());
  EXPECT_FALSE(std::filesystem::exists(out.path));
  MediaFile nowhere(dir.Path() + "/missing/folder/x.png");
  nowhere.image = out.image;
  EXPECT_FALSE(nowhere.Write());
}

TEST(ImageWriteTest, TiffUsesDeflateAndTheStatedTags) {
  TempDir dir;
  MediaFile out(dir.Path() + "/t.tiff");
  out.image = MakeTestImage(PixelFormat::kIndexed, 3, 2);
  ASSERT_TRUE(out.Write());
  TIFF* t = TIFFOpen(out.path.c_str(), "r");
  ASSERT_TRUE(t);
  uint16_t compression = 0, photometric = 0, planar = 0, bits = 0, samples = 0;
  uint32_t depth = 0;
  uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
  TIFFGetField(t, TIFFTAG_COMPRESSION, &compression);
  TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photometric);
  TIFFGetField(t, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetField(t, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetField(t, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetField(t, TIFFTAG_IMAGEDEPTH, &depth);
  ASSERT_TRUE(TIFFGetField(t, TIFFTAG_COLORMAP, &r, &g, &b));
  EXPECT_EQ(compression, 32946);
  EXPECT_EQ(photometric, PHOTOMETRIC_PALETTE);
  EXPECT_EQ(planar, PLANARCONFIG_CONTIG);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(samples, 1);
  EXPECT_EQ(depth, 1u);
  const Rgb c = out.image.palette.entries[5];
  EXPECT_EQ(r[5], c.r * 65535 / 255);
  EXPECT_EQ(g[5], c.g * 65535 / 255);
  EXPECT_EQ(b[5], c.b * 65535 / 255);
  TIFFClose(t);
}

// Patches a PNG's IHDR dimensions and fixes its checksum.
void SetPngSize(std::vector<uint8_t>& b, uint32_t width, uint32_t height) {
  test::PutBE32(b, 16, width);
  test::PutBE32(b, 20, height);
  const uint32_t crc = uint32_t(crc32(0, b.data() + 12, 17));
  test::PutBE32(b, 29, crc);
}

TEST(ImageReadTest, HostileSizesFailCleanly) {
  TempDir dir;
  MediaFile out(dir.Path() + "/h.png");
  out.image = MakeTestImage(PixelFormat::kRgba, 8, 8);
  ASSERT_TRUE(out.Write());
  std::vector<uint8_t> b = test::ReadBytes(out.path);
  for (auto [w, h] : {std::pair<uint32_t, uint32_t>{100000, 100000},
                      {32767, 32767},
                      {0x7FFFFFFF, 1},
                      {8000, 8000}}) {
    SetPngSize(b, w, h);
    test::WriteBytes(out.path, b);
    MediaFile in(out.path);
    EXPECT_FALSE(in.ReadPixels()) << w << "x" << h;
  }

  // A little-endian TIFF whose first directory states 100000 x 100000 8-bit grey pixels in a
  // single 10-byte strip.
  const uint8_t huge_tiff[] = {
      'I',  'I',  42, 0, 8, 0, 0, 0,                       // header, directory at 8
      9,    0,                                             // 9 entries
      0x00, 0x01, 4,  0, 1, 0, 0, 0, 0xA0, 0x86, 0x01, 0,  // width 100000
      0x01, 0x01, 4,  0, 1, 0, 0, 0, 0xA0, 0x86, 0x01, 0,  // length 100000
      0x02, 0x01, 3,  0, 1, 0, 0, 0, 8,    0,    0,    0,  // 8 bits per sample
      0x03, 0x01, 3,  0, 1, 0, 0, 0, 1,    0,    0,    0,  // no compression
      0x06, 0x01, 3,  0, 1, 0, 0, 0, 1,    0,    0,    0,  // minimum is black
      0x11, 0x01, 4,  0, 1, 0, 0, 0, 8,    0,    0,    0,  // strip at offset 8
      0x15, 0x01, 3,  0, 1, 0, 0, 0, 1,    0,    0,    0,  // 1 sample per pixel
      0x16, 0x01, 4,  0, 1, 0, 0, 0, 0xA0, 0x86, 0x01, 0,  // rows per strip
      0x17, 0x01, 4,  0, 1, 0, 0, 0, 10,   0,    0,    0,  // strip of 10 bytes
      0,    0,    0,  0};
  const std::string tiff_path = dir.Path() + "/h.tiff";
  test::WriteBytes(tiff_path, std::vector<uint8_t>(huge_tiff, huge_tiff + sizeof huge_tiff));
  MediaFile tiff(tiff_path);
  EXPECT_FALSE(tiff.ReadHeader());
  // The same directory at 4000 x 4000 is acceptable in size, but its pixels are missing.
  std::vector<uint8_t> smaller(huge_tiff, huge_tiff + sizeof huge_tiff);
  for (size_t at : {18u, 30u, 102u}) {
    smaller[at] = 0xA0;
    smaller[at + 1] = 0x0F;
    smaller[at + 2] = 0;
  }
  test::WriteBytes(tiff_path, smaller);
  MediaFile tiff2(tiff_path);
  EXPECT_TRUE(tiff2.ReadHeader()) << tiff2.Error();
  EXPECT_EQ(tiff2.image.width, 4000);
  EXPECT_FALSE(tiff2.ReadPixels());
}

TEST(ImageReadTest, TruncatedFilesFailCleanly) {
  TempDir dir;
  for (const char* extension : {".bmp", ".png", ".tiff"}) {
    MediaFile out(dir.Path() + "/full" + extension);
    out.image = MakeTestImage(PixelFormat::kRgb, 40, 30);
    ASSERT_TRUE(out.Write());
    const std::vector<uint8_t> b = test::ReadBytes(out.path);
    const std::string cut = dir.Path() + "/cut" + extension;
    for (size_t size = 0; size < b.size(); size += 1 + size / 8) {
      test::WriteBytes(cut, std::vector<uint8_t>(b.begin(), b.begin() + long(size)));
      MediaFile in(cut);
      EXPECT_FALSE(in.ReadPixels()) << extension << " " << size;
    }
  }
}

// ---- Detection

TEST(DetectionTest, TheSevenRules) {
  struct Case {
    std::vector<uint8_t> bytes;
    MediaGroup group;
    MediaType type;
  };
  auto with = [](std::vector<uint8_t> b, size_t at, const char* text) {
    std::memcpy(&b[at], text, std::strlen(text));
    return b;
  };
  const std::vector<uint8_t> zeros(128, 0);
  const Case cases[] = {
      {with(zeros, 0, "MM"), MediaGroup::kImage, MediaType::kTiff},
      {with(zeros, 0, "II"), MediaGroup::kImage, MediaType::kTiff},
      {with(zeros, 0, "\x89PNG"), MediaGroup::kImage, MediaType::kPng},
      {with(zeros, 0, "BM"), MediaGroup::kImage, MediaType::kBmp},
      {with(zeros, 8, "LWO2"), MediaGroup::kModel, MediaType::kLwo},
      {with(zeros, 8, "WAVE"), MediaGroup::kSound, MediaType::kWav},
  };
  for (const Case& c : cases) {
    MediaGroup group;
    MediaType type;
    ASSERT_TRUE(DetectMediaKind(c.bytes.data(), c.bytes.size(), 1000, &group, &type));
    EXPECT_EQ(group, c.group);
    EXPECT_EQ(type, c.type);
  }
  MediaGroup group;
  MediaType type;
  EXPECT_FALSE(DetectMediaKind(zeros.data(), zeros.size(), 128, &group, &type));
  EXPECT_FALSE(DetectMediaKind(zeros.data(), 0, 0, &group, &type));

  // A loose tag file: a 'vrn2' header whose size is the file length minus 64.
  std::vector<uint8_t> tag(64 + 10, 0);
  std::memcpy(&tag[4], "Name", 4);
  std::memcpy(&tag[36], "text", 4);
  std::memcpy(&tag[40], "abcd", 4);
  test::PutBE32(tag, 44, 64);
  test::PutBE32(tag, 48, 10);
  std::memcpy(&tag[60], "vrn2", 4);
  ASSERT_TRUE(DetectMediaKind(tag.data(), tag.size(), tag.size(), &group, &type));
  EXPECT_EQ(group, MediaGroup::kTagFile);
  EXPECT_FALSE(DetectMediaKind(tag.data(), tag.size(), tag.size() + 1, &group, &type));

  // An archive: a 'dng2' header whose file size field is the file length.
  std::vector<uint8_t> archive(128, 0);
  test::PutBE16(archive, 0, 2);
  test::PutBE32(archive, 112, 128);
  test::PutBE32(archive, 120, 128);
  std::memcpy(&archive[124], "dng2", 4);
  ASSERT_TRUE(DetectMediaKind(archive.data(), archive.size(), 128, &group, &type));
  EXPECT_EQ(group, MediaGroup::kArchive);
  EXPECT_FALSE(DetectMediaKind(archive.data(), archive.size(), 129, &group, &type));
}

TEST(DetectionTest, AcceptedGroupAndType) {
  TempDir dir;
  MediaFile png(dir.Path() + "/a.png");
  png.image = MakeTestImage(PixelFormat::kGrey, 3, 3);
  ASSERT_TRUE(png.Write());
  // Detection follows the bytes, not the extension.
  const std::string renamed = dir.Path() + "/a.bmp";
  std::filesystem::copy_file(png.path, renamed);
  MediaFile any(renamed);
  ASSERT_TRUE(any.ReadHeader());
  EXPECT_EQ(any.group, MediaGroup::kImage);
  EXPECT_EQ(any.type, MediaType::kPng);

  MediaFile want_sound(png.path, MediaGroup::kSound);
  EXPECT_FALSE(want_sound.ReadHeader());
  MediaFile want_bmp(png.path, MediaGroup::kImage, MediaType::kBmp);
  EXPECT_FALSE(want_bmp.ReadHeader());
  MediaFile want_png(png.path, MediaGroup::kImage, MediaType::kPng);
  EXPECT_TRUE(want_png.ReadHeader());

  test::WriteFile(dir.Path() + "/w.wav", std::string("RIFF\x10\0\0\0WAVEfmt ", 16));
  MediaFile wav(dir.Path() + "/w.wav");
  ASSERT_TRUE(wav.ReadHeader());
  EXPECT_EQ(wav.group, MediaGroup::kSound);
  EXPECT_FALSE(wav.ReadPixels());

  MediaFile missing(dir.Path() + "/none.png");
  EXPECT_FALSE(missing.ReadHeader());
  EXPECT_FALSE(missing.Error().empty());
  EXPECT_EQ(missing.LastFailure(), MediaFile::Failure::kFileAccess);

  // The failure says what went wrong: bytes of no known kind, or an image a reader refused;
  // the reason comes alone and, in Error, after the path.
  test::WriteFile(dir.Path() + "/n.txt", "plain text");
  MediaFile text(dir.Path() + "/n.txt");
  EXPECT_FALSE(text.ReadHeader());
  EXPECT_EQ(text.LastFailure(), MediaFile::Failure::kUnknownKind);
  test::WriteFile(dir.Path() + "/b.bmp", "BM" + std::string(60, '\0'));
  MediaFile bad(dir.Path() + "/b.bmp");
  EXPECT_FALSE(bad.ReadHeader());
  EXPECT_EQ(bad.LastFailure(), MediaFile::Failure::kInvalid);
  EXPECT_EQ(bad.Reason(), "unsupported BMP information header (0 bytes)");
  EXPECT_EQ(bad.Error(), "'" + bad.path + "': " + bad.Reason());
  EXPECT_EQ(bad.group, MediaGroup::kImage);
}

TEST(FileTypesTest, ExtensionsAndGroups) {
  EXPECT_EQ(MediaTypeFromPath("a/b.PNG"), MediaType::kPng);
  EXPECT_EQ(MediaTypeFromPath("b.tif"), MediaType::kTiff);
  EXPECT_EQ(MediaTypeFromPath("b.tiff"), MediaType::kTiff);
  EXPECT_EQ(MediaTypeFromPath("x.y/b"), MediaType::kUnknown);
  EXPECT_STREQ(MediaTypeInfoOf(MediaType::kTiff).extension, ".tiff");
  EXPECT_EQ(MediaTypeInfoOf(MediaType::kWav).group, MediaGroup::kSound);

  const FileTypeGroup& images = FindFileTypeGroup(MediaGroup::kImage);
  EXPECT_STREQ(images.folder_title, "Choose Image Folder");
  EXPECT_STREQ(images.folder_format_key, "LastImageFolderFormat");
  ASSERT_EQ(images.formats.size(), 3u);
  EXPECT_STREQ(images.formats[2].name, "TIFF Image");
  EXPECT_STREQ(images.formats[2].pattern, "*.tiff");
  const FileTypeGroup& archives = FindFileTypeGroup(MediaGroup::kArchive);
  EXPECT_EQ(archives.save_format_key, nullptr);
  EXPECT_TRUE(archives.formats.empty());
  EXPECT_STREQ(FindFileTypeGroup(MediaGroup::kSound).folder_title, "Choose Sound Folder");
  EXPECT_STREQ(FindFileTypeGroup(MediaGroup::kTagFile).save_title, "Save File As");
}

}  // namespace
}  // namespace brae
