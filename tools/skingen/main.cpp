// skingen [--factor N] OUTPUT: draws the window skin's 81 images procedurally and writes the
// texture pack, at N device pixels per image pixel (the sharper renderings for a UI scale).
// One look throughout: dark slate surfaces, light bevels, an amber accent for focus and
// selection.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/SkinSlots.h"

namespace {

struct Colour {
  int r, g, b, a = 255;
};

Colour Mix(Colour a, Colour b, double t) {
  auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return Colour{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

const Colour kClear{0, 0, 0, 0};
const Colour kInk{16, 18, 22};
const Colour kFace{112, 120, 134};
const Colour kFaceDark{78, 84, 96};
const Colour kLight{176, 184, 196};
const Colour kAmber{226, 160, 64};
const Colour kAmberDark{150, 96, 36};
const Colour kWhite{236, 238, 242};

// The factor the skin is drawn at: 1 for "res/texturepack", 2 or 3 for its sharper renderings.
// Every drawing call takes logical pixels; the image holds factor x factor device pixels for each.
int g_factor = 1;

class Image {
 public:
  Image(int id, int w, int h)
      : id(id),
        width(w),
        height(h),
        k(g_factor),
        pixels(static_cast<size_t>(w) * h * g_factor * g_factor, kClear) {}
  int DeviceWidth() const { return width * k; }
  int DeviceHeight() const { return height * k; }
  Colour& Px(int px, int py) { return pixels[static_cast<size_t>(py) * DeviceWidth() + px]; }
  void Set(int x, int y, Colour c) { Fill(x, y, x + 1, y + 1, c); }
  void Fill(int x0, int y0, int x1, int y1, Colour c) {
    for (int py = std::max(0, y0 * k); py < std::min(DeviceHeight(), y1 * k); ++py)
      for (int px = std::max(0, x0 * k); px < std::min(DeviceWidth(), x1 * k); ++px) Px(px, py) = c;
  }
  void All(Colour c) { Fill(0, 0, width, height, c); }
  void Gradient(Colour top, Colour bottom) {
    int h = DeviceHeight();
    for (int py = 0; py < h; ++py)
      for (int px = 0; px < DeviceWidth(); ++px)
        Px(px, py) = Mix(top, bottom, h > 1 ? double(py) / (h - 1) : 0);
  }
  void Outline(Colour c) {
    Fill(0, 0, width, 1, c), Fill(0, height - 1, width, height, c);
    Fill(0, 0, 1, height, c), Fill(width - 1, 0, width, height, c);
  }
  void Bevel(Colour light, Colour dark) {
    Fill(1, 1, width - 1, 2, light), Fill(1, 1, 2, height - 1, light);
    Fill(1, height - 2, width - 1, height - 1, dark),
        Fill(width - 2, 1, width - 1, height - 1, dark);
  }
  // Coverage of a device pixel whose centre lies d logical pixels inside an edge.
  double Cover(double d) const { return std::clamp(d * k + 0.5, 0.0, 1.0); }
  // The centre of device pixel p in logical pixels.
  double Centre(int p) const { return (p + 0.5) / k; }
  void Line(double x0, double y0, double x1, double y1, Colour c, double thickness = 1.2) {
    for (int py = 0; py < DeviceHeight(); ++py)
      for (int px = 0; px < DeviceWidth(); ++px) {
        double x = Centre(px), y = Centre(py);
        double dx = x1 - x0, dy = y1 - y0;
        double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0;
        double d = std::hypot(x - (x0 + t * dx), y - (y0 + t * dy));
        double cover = Cover(thickness / 2 - d);
        Colour& p = Px(px, py);
        if (cover > 0) p = Mix(p.a ? p : Colour{c.r, c.g, c.b, 0}, c, cover);
      }
  }
  void Triangle(double cx, double cy, double size, int direction, Colour c) {
    // direction: 0 up, 1 down, 2 left, 3 right
    for (int py = 0; py < DeviceHeight(); ++py)
      for (int px = 0; px < DeviceWidth(); ++px) {
        double u = Centre(px) - cx, v = Centre(py) - cy;
        double along = direction == 0 ? -v : direction == 1 ? v : direction == 2 ? -u : u;
        double across = (direction < 2) ? u : v;
        if (along >= -size / 2 && along <= size / 2 && std::fabs(across) <= (size / 2 - along))
          Px(px, py) = c;
      }
  }
  void Disc(double cx, double cy, double radius, Colour c) {
    for (int py = 0; py < DeviceHeight(); ++py)
      for (int px = 0; px < DeviceWidth(); ++px) {
        double d = std::hypot(Centre(px) - cx, Centre(py) - cy);
        double cover = Cover(radius - d);
        if (cover > 0) Px(px, py) = Colour{c.r, c.g, c.b, static_cast<int>(c.a * cover)};
      }
  }

  int id, width, height, k;
  std::vector<Colour> pixels;
};

// A small deterministic noise, so that the background is not flat.
int Noise(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<int>((h >> 24) % 7) - 3;
}

Image Button(int id, bool pressed, bool disabled) {
  Image im(id, 32, 24);
  if (disabled) {
    im.All(Colour{70, 73, 80});
  } else if (pressed) {
    im.Gradient(kFaceDark, Colour{96, 102, 116});
  } else {
    im.Gradient(Colour{134, 142, 156}, Colour{92, 98, 110});
    im.Bevel(kLight, kFaceDark);
  }
  im.Outline(kInk);
  return im;
}

Image Box(int id, int size, Colour face, Colour edge) {
  Image im(id, size, size);
  im.All(face);
  im.Outline(edge);
  return im;
}

Image TitleBox(int id, int symbol, bool pressed) {
  Image im(id, 16, 16);
  im.Gradient(pressed ? Colour{70, 74, 84} : Colour{214, 216, 222},
              pressed ? Colour{96, 100, 110} : Colour{160, 164, 174});
  im.Outline(kInk);
  Colour ink = pressed ? kWhite : kInk;
  if (symbol == 0) {
    im.Line(4.5, 4.5, 11.5, 11.5, ink, 1.8), im.Line(11.5, 4.5, 4.5, 11.5, ink, 1.8);
  } else if (symbol == 1) {
    im.Fill(4, 4, 12, 6, ink), im.Fill(4, 4, 5, 12, ink), im.Fill(11, 4, 12, 12, ink),
        im.Fill(4, 11, 12, 12, ink);
  } else {
    im.Fill(4, 10, 12, 12, ink);
  }
  return im;
}

Image Arrow(int id, int direction, bool pressed) {
  Image im(id, 14, 14);
  im.Gradient(pressed ? kFaceDark : kFace, pressed ? kFace : kFaceDark);
  im.Outline(kInk);
  im.Triangle(7, 7, 6, direction, pressed ? kAmber : kWhite);
  return im;
}

Image Icon(int id, Colour body, int mark) {
  Image im(id, 16, 16);
  im.Disc(8, 8, 7, body);
  Colour ink = kWhite;
  if (mark == 0)
    im.Fill(7, 7, 9, 12, ink), im.Fill(7, 4, 9, 6, ink);  // i
  else if (mark == 1)
    im.Fill(7, 4, 9, 9, ink), im.Fill(7, 10, 9, 12, ink);  // !
  else if (mark == 2)
    im.Line(5, 5, 11, 11, ink, 1.8), im.Line(11, 5, 5, 11, ink, 1.8);
  else
    im.Line(6, 5, 10, 5, ink), im.Line(10, 5, 10, 8, ink), im.Line(10, 8, 8, 9, ink),
        im.Fill(7, 11, 9, 13, ink);
  return im;
}

Image Document(int id, Colour paper, Colour accent, bool folder) {
  Image im(id, 16, 16);
  if (folder) {
    im.Fill(1, 3, 7, 5, accent);
    im.Fill(1, 5, 15, 14, accent);
    im.Fill(2, 6, 14, 13, paper);
  } else {
    im.Fill(3, 1, 13, 15, paper);
    im.Fill(3, 1, 13, 2, accent), im.Fill(3, 14, 13, 15, accent);
    im.Fill(3, 1, 4, 15, accent), im.Fill(12, 1, 13, 15, accent);
    for (int y = 4; y < 13; y += 3) im.Fill(5, y, 11, y + 1, accent);
  }
  return im;
}

std::vector<Image> MakeSkin() {
  std::vector<Image> images;
  auto add = [&](Image im) { images.push_back(std::move(im)); };
  using namespace brae;

  Image bg(kSkinBackground, 64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      int n = Noise(x, y);
      bg.Set(x, y, Colour{74 + n, 82 + n, 96 + n});
    }
  add(bg);
  Image thick(kSkinThickBorder, 4, 4);
  thick.All(Colour{104, 112, 126});
  thick.Set(1, 1, Colour{116, 124, 138}), thick.Set(3, 3, Colour{96, 104, 118});
  add(thick);
  Image thin(kSkinThinBorder, 1, 1);
  thin.All(Colour{20, 22, 26});
  add(thin);
  Image title(kSkinTitleBar, 8, 22);
  title.Gradient(Colour{84, 88, 98}, Colour{54, 57, 65});
  add(title);
  Image active(kSkinTitleBarActive, 8, 22);
  active.Gradient(Colour{196, 132, 56}, Colour{122, 78, 32});
  add(active);
  add(TitleBox(kSkinCloseBox, 0, false));
  add(TitleBox(kSkinZoomBox, 1, false));
  add(TitleBox(kSkinCollapseBox, 2, false));
  add(TitleBox(kSkinCloseBoxPressed, 0, true));
  add(TitleBox(kSkinZoomBoxPressed, 1, true));
  add(TitleBox(kSkinCollapseBoxPressed, 2, true));
  Image dialog(kSkinDialogBorder, 4, 4);
  dialog.All(Colour{124, 110, 86});
  add(dialog);
  add(Button(kSkinButton, false, false));
  add(Button(kSkinButtonPressed, true, false));
  add(Button(kSkinButtonDisabled, false, true));
  Image focus(kSkinButtonFocus, 32, 24);
  focus.Outline(kAmber);
  add(focus);
  for (int i = 0; i < 4; ++i) {
    bool on = i & 1, pressed = i & 2;
    Image check(kSkinCheckOff + i, 14, 14);
    check.All(pressed ? kFaceDark : Colour{40, 44, 52});
    check.Outline(pressed ? kAmber : kLight);
    if (on) check.Line(3.5, 7.5, 6, 10.5, kAmber, 2.0), check.Line(6, 10.5, 11, 3.5, kAmber, 2.0);
    add(check);
  }
  add(Box(kSkinScrollTrackV, 14, Colour{44, 48, 56}, Colour{30, 32, 38}));
  Image thumb_v(kSkinScrollThumbV, 14, 14);
  thumb_v.Gradient(kFace, kFaceDark), thumb_v.Outline(kInk), thumb_v.Fill(4, 6, 10, 7, kLight),
      thumb_v.Fill(4, 8, 10, 9, kLight);
  add(thumb_v);
  add(Box(kSkinScrollTrackH, 14, Colour{44, 48, 56}, Colour{30, 32, 38}));
  Image thumb_h(kSkinScrollThumbH, 14, 14);
  thumb_h.Gradient(kFace, kFaceDark), thumb_h.Outline(kInk), thumb_h.Fill(6, 4, 7, 10, kLight),
      thumb_h.Fill(8, 4, 9, 10, kLight);
  add(thumb_h);
  for (int d = 0; d < 4; ++d) add(Arrow(kSkinArrowUp + d, d, false));
  for (int d = 0; d < 4; ++d) add(Arrow(kSkinArrowUpPressed + d, d, true));
  add(Box(kSkinScrollCorner, 14, Colour{44, 48, 56}, Colour{44, 48, 56}));
  add(Arrow(kSkinComboArrow, 1, false));
  add(Arrow(kSkinComboArrowPressed, 1, true));
  add(Box(kSkinTextField, 16, Colour{28, 30, 36}, Colour{120, 128, 140}));
  Image menubar(kSkinMenuBar, 8, 22);
  menubar.Gradient(Colour{96, 102, 116}, Colour{66, 70, 80});
  add(menubar);
  add(Box(kSkinMenuBackground, 16, Colour{56, 60, 70}, Colour{20, 22, 26}));
  Image highlight(kSkinMenuHighlight, 8, 18);
  highlight.Gradient(kAmber, kAmberDark);
  add(highlight);
  Image separator(kSkinMenuSeparator, 8, 4);
  separator.Fill(0, 1, 8, 2, Colour{30, 32, 38}), separator.Fill(0, 2, 8, 3, Colour{100, 106, 118});
  add(separator);
  Image submenu(kSkinSubmenuArrow, 8, 8);
  submenu.Triangle(4, 4, 6, 3, kWhite);
  add(submenu);
  Image tab(kSkinTab, 32, 20);
  tab.Gradient(Colour{80, 86, 98}, Colour{58, 62, 72}), tab.Outline(kInk);
  add(tab);
  Image tab_active(kSkinTabActive, 32, 20);
  tab_active.Gradient(Colour{132, 140, 154}, Colour{96, 102, 116}), tab_active.Outline(kInk),
      tab_active.Fill(1, 1, 31, 3, kAmber);
  add(tab_active);
  add(Box(kSkinTabPage, 16, Colour{96, 102, 116}, kInk));
  Image header(kSkinListHeader, 16, 20);
  header.Gradient(Colour{110, 116, 130}, Colour{80, 86, 98}), header.Outline(kInk);
  add(header);
  Image header_p(kSkinListHeaderPressed, 16, 20);
  header_p.Gradient(Colour{80, 86, 98}, Colour{110, 116, 130}), header_p.Outline(kInk);
  add(header_p);
  Image selection(kSkinListSelection, 8, 16);
  selection.Gradient(kAmber, kAmberDark);
  add(selection);
  Image selection_i(kSkinListSelectionInactive, 8, 16);
  selection_i.Gradient(Colour{120, 124, 134}, Colour{90, 94, 104});
  add(selection_i);
  Image expand(kSkinTreeExpand, 10, 10);
  expand.Triangle(5, 5, 6, 3, kLight);
  add(expand);
  Image collapse(kSkinTreeCollapse, 10, 10);
  collapse.Triangle(5, 5, 6, 1, kLight);
  add(collapse);
  Image sort_up(kSkinSortUp, 8, 8);
  sort_up.Triangle(4, 4, 6, 0, kWhite);
  add(sort_up);
  Image sort_down(kSkinSortDown, 8, 8);
  sort_down.Triangle(4, 4, 6, 1, kWhite);
  add(sort_down);
  Image split_v(kSkinSplitterV, 6, 16);
  split_v.All(kFaceDark), split_v.Fill(2, 0, 4, 16, kFace);
  add(split_v);
  Image split_h(kSkinSplitterH, 16, 6);
  split_h.All(kFaceDark), split_h.Fill(0, 2, 16, 4, kFace);
  add(split_h);
  add(Box(kSkinGridCell, 16, Colour{40, 44, 52}, Colour{70, 76, 88}));
  add(Box(kSkinGridCellSelected, 16, Colour{90, 66, 36}, kAmber));
  Image grip(kSkinResizeGrip, 12, 12);
  for (int i = 0; i < 3; ++i) grip.Line(11 - 4 * i, 11, 11, 11 - 4 * i, kLight, 1.0);
  add(grip);
  Image focus_frame(kSkinFocusFrame, 16, 16);
  focus_frame.Outline(kAmber);
  add(focus_frame);
  Image radio_off(kSkinRadioOff, 14, 14);
  radio_off.Disc(7, 7, 6, kLight), radio_off.Disc(7, 7, 5, Colour{40, 44, 52});
  add(radio_off);
  Image radio_on(kSkinRadioOn, 14, 14);
  radio_on.Disc(7, 7, 6, kLight), radio_on.Disc(7, 7, 5, Colour{40, 44, 52}),
      radio_on.Disc(7, 7, 3, kAmber);
  add(radio_on);
  add(Box(kSkinProgressTrack, 16, Colour{36, 40, 46}, kInk));
  Image progress(kSkinProgressBar, 8, 16);
  progress.Gradient(kAmber, kAmberDark);
  add(progress);
  add(Box(kSkinColourSwatchFrame, 16, kClear, kLight));
  add(Box(kSkinToolTip, 16, Colour{240, 226, 170}, kInk));
  add(Icon(kSkinIconInfo, Colour{60, 110, 190}, 0));
  add(Icon(kSkinIconWarning, Colour{210, 150, 40}, 1));
  add(Icon(kSkinIconError, Colour{190, 50, 50}, 2));
  add(Icon(kSkinIconQuestion, Colour{70, 140, 90}, 3));
  add(Document(kSkinIconFolder, Colour{238, 206, 120}, Colour{180, 140, 60}, true));
  add(Document(kSkinIconFile, kWhite, Colour{110, 116, 130}, false));
  add(Document(kSkinIconArchive, Colour{200, 170, 130}, Colour{120, 90, 50}, false));
  add(Document(kSkinIconLocal, Colour{180, 220, 180}, Colour{60, 120, 60}, false));
  Image caret(kSkinCaret, 2, 16);
  caret.All(kWhite);
  add(caret);
  Image sel(kSkinSelection, 4, 4);
  sel.All(Colour{226, 160, 64, 110});
  add(sel);
  Image drop(kSkinDropMarker, 16, 2);
  drop.All(kAmber);
  add(drop);
  Image checker(kSkinCheckerboard, 16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      checker.Set(x, y, ((x / 8) + (y / 8)) % 2 ? Colour{200, 200, 200} : Colour{150, 150, 150});
  add(checker);
  Image panel(kSkinPanel, 16, 16);
  panel.All(Colour{64, 68, 78}), panel.Bevel(Colour{96, 102, 116}, Colour{36, 40, 46});
  add(panel);
  Image sunken(kSkinPanelSunken, 16, 16);
  sunken.All(Colour{36, 40, 46}), sunken.Bevel(Colour{24, 26, 30}, Colour{96, 102, 116});
  add(sunken);
  add(Arrow(kSkinSpinUp, 0, false));
  add(Arrow(kSkinSpinDown, 1, false));
  Image shadow(kSkinShadowCorner, 16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      shadow.Set(x, y, Colour{0, 0, 0, std::max(0, 80 - 5 * std::max(x, y))});
  add(shadow);
  return images;
}

void Put16(std::vector<uint8_t>* out, size_t at, int v) {
  (*out)[at] = static_cast<uint8_t>(v & 0xFF);
  (*out)[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>* out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--factor") {
    g_factor = std::atoi(argv[2]);
    argv += 2;
    argc -= 2;
  }
  if (argc != 2 || g_factor < 1 || g_factor > 4) {
    std::fprintf(stderr, "usage: skingen [--factor N] OUTPUT\n");
    return 2;
  }
  std::vector<Image> images = MakeSkin();
  if (images.size() != brae::kSkinSlotCount) {
    std::fprintf(stderr, "skingen: %zu images drawn, %d slots\n", images.size(),
                 int(brae::kSkinSlotCount));
    return 2;
  }
  std::vector<uint8_t> out(4);
  Put32(&out, 0, static_cast<uint32_t>(images.size()));
  for (const Image& im : images) {
    size_t at = out.size();
    out.resize(at + 28, 0);
    Put16(&out, at + 12, im.DeviceWidth());
    Put16(&out, at + 14, im.DeviceHeight());
    Put32(&out, at + 24, static_cast<uint32_t>(im.id));
    for (const Colour& c : im.pixels) {
      out.push_back(static_cast<uint8_t>(std::clamp(c.r, 0, 255)));
      out.push_back(static_cast<uint8_t>(std::clamp(c.g, 0, 255)));
      out.push_back(static_cast<uint8_t>(std::clamp(c.b, 0, 255)));
      out.push_back(static_cast<uint8_t>(std::clamp(c.a, 0, 255)));
    }
  }
  FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size()) {
    std::fprintf(stderr, "skingen: cannot write %s\n", argv[1]);
    return 2;
  }
  std::fclose(f);
  return 0;
}
