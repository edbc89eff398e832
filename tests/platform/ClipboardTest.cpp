// Clipboard images: bitmap conversions, hostile bitmaps, and our X11 owner answering another
// program's request for image/png.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/Clipboard.h"

// X11 last: its macros (None, Success, Bool) clash with the test framework's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace brae::platform {
namespace {

std::vector<uint8_t> SampleRgb(int w, int h) {
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 7 + 3);
  return rgb;
}

TEST(ClipboardImages, DibRoundTripsThroughPngAndBmp) {
  std::vector<uint8_t> rgb = SampleRgb(5, 3);  // 15-byte rows padded to 16
  std::vector<uint8_t> dib = EncodeDib(rgb, 5, 3);
  EXPECT_EQ(dib.size(), 40u + 16 * 3);
  int w = 0, h = 0;
  std::vector<uint8_t> back;
  ASSERT_TRUE(DecodeDib(dib, &w, &h, &back));
  EXPECT_EQ(back, rgb);
  std::vector<uint8_t> png, from_png, from_bmp;
  ASSERT_TRUE(DibToPng(dib, &png));
  ASSERT_TRUE(PngToDib(png, &from_png));
  EXPECT_EQ(from_png, dib);
  std::vector<uint8_t> bmp = DibToBmpFile(dib);
  ASSERT_EQ(bmp.size(), 14 + dib.size());
  EXPECT_EQ(bmp[0], 'B');
  ASSERT_TRUE(BmpFileToDib(bmp, &from_bmp));
  EXPECT_EQ(from_bmp, dib);
}

TEST(ClipboardImages, HostileBitmapsAreRefused) {
  std::vector<uint8_t> dib = EncodeDib(SampleRgb(4, 4), 4, 4);
  int w, h;
  std::vector<uint8_t> rgb;
  std::vector<uint8_t> truncated(dib.begin(), dib.end() - 1);
  EXPECT_FALSE(DecodeDib(truncated, &w, &h, &rgb));
  std::vector<uint8_t> huge = dib;
  huge[4] = 0xFF, huge[5] = 0xFF, huge[6] = 0xFF, huge[7] = 0x7F;  // width 2^31 - 1
  EXPECT_FALSE(DecodeDib(huge, &w, &h, &rgb));
  std::vector<uint8_t> eight_bit = dib;
  eight_bit[14] = 8;
  EXPECT_FALSE(DecodeDib(eight_bit, &w, &h, &rgb));
  EXPECT_FALSE(DecodeDib({}, &w, &h, &rgb));
  EXPECT_FALSE(PngToDib({0x89, 'P', 'N', 'G'}, &rgb));
  std::vector<uint8_t> bmp = DibToBmpFile(dib);
  bmp[10] = 0xF0;  // pixel offset past the end
  EXPECT_FALSE(BmpFileToDib(bmp, &rgb));
  // A top-down bitmap (negative height) reads the same picture.
  std::vector<uint8_t> top_down = EncodeDib(SampleRgb(2, 2), 2, 2);
  std::swap_ranges(top_down.begin() + 40, top_down.begin() + 48, top_down.begin() + 48);
  top_down[8] = 0xFE, top_down[9] = top_down[10] = top_down[11] = 0xFF;
  ASSERT_TRUE(DecodeDib(top_down, &w, &h, &rgb));
  EXPECT_EQ(rgb, SampleRgb(2, 2));
}

TEST(ClipboardImages, InProcessWithoutADisplay) {
  SetClipboardInProcess(true);
  ClearClipboard();
  std::vector<uint8_t> dib = EncodeDib(SampleRgb(3, 2), 3, 2), got;
  EXPECT_FALSE(GetClipboardDib(&got));
  EXPECT_FALSE(SetClipboardDib({1, 2, 3}));
  ASSERT_TRUE(SetClipboardDib(dib));
  ASSERT_TRUE(GetClipboardDib(&got));
  EXPECT_EQ(got, dib);
  std::u16string text;
  EXPECT_FALSE(GetClipboardUnicode(&text));  // an image replaced the text
  SetClipboardText("abc", u"abc");
  EXPECT_FALSE(GetClipboardDib(&got));
  SetClipboardInProcess(false);
}

TEST(ClipboardImages, OurOwnerAnswersAnotherProgram) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
  Display* other = XOpenDisplay(nullptr);
  if (!other) GTEST_SKIP() << "no display";
  SetClipboardInProcess(false);
  std::vector<uint8_t> dib = EncodeDib(SampleRgb(6, 4), 6, 4);
  ASSERT_TRUE(SetClipboardDib(dib));
  ::Window win = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
  Atom clipboard = XInternAtom(other, "CLIPBOARD", False);
  Atom png = XInternAtom(other, "image/png", False);
  Atom prop = XInternAtom(other, "TEST_PROP", False);
  XConvertSelection(other, clipboard, png, prop, win, CurrentTime);
  XFlush(other);
  XEvent event;
  bool answered = false;
  for (int i = 0; i < 500 && !answered; ++i) {
    ServeClipboard();
    answered = XCheckTypedWindowEvent(other, win, SelectionNotify, &event);
    if (!answered) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(answered);
  ASSERT_EQ(event.xselection.property, prop);
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(other, win, prop, 0, 1 << 20, True, AnyPropertyType, &type, &format,
                               &count, &remaining, &data),
            Success);
  std::vector<uint8_t> bytes(data, data + count), back;
  XFree(data);
  EXPECT_EQ(type, png);
  ASSERT_TRUE(PngToDib(bytes, &back));
  EXPECT_EQ(back, dib);
  // Our own reader gets it back too.
  ASSERT_TRUE(GetClipboardDib(&back));
  EXPECT_EQ(back, dib);
  XDestroyWindow(other, win);
  XCloseDisplay(other);
}

}  // namespace
}  // namespace brae::platform
