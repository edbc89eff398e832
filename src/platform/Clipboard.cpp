// The clipboard: text through GLFW, images through our own X11 selection owner, and the
// in-process store used when there is no display.
//
// Index
//   in-process store ........ Store
//   bitmaps ................. DecodeDib, EncodeDib, DibToBmpFile, BmpFileToDib
//   PNG in memory ........... DibToPng, PngToDib
//   X11 selection ........... X11Clipboard (owner and reader for image/png and image/bmp)
//   text .................... SetClipboardText, GetClipboardUnicode, UTF-8 helpers

#include "platform/Clipboard.h"

#include <GLFW/glfw3.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Platform.h"

namespace brae::platform {
namespace {

// ---- in-process store
// ----------------------------------------------------------------------------
struct Store {
  bool has_text = false;
  std::string text8;
  std::u16string text16;
  std::vector<uint8_t> dib;
  bool in_process_only = false;
};
Store& TheStore() {
  static Store store;
  return store;
}

constexpr uint64_t kMaxPixels = uint64_t{1} << 26;
constexpr int kMaxSide = 32767;

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
void Put32(std::vector<uint8_t>* out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*out)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(std::vector<uint8_t>* out, size_t at, uint16_t v) {
  (*out)[at] = static_cast<uint8_t>(v);
  (*out)[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Decodes a bitmap whose pixels start pixel_offset bytes after the header's start (negative:
// right after the header and its masks).
bool DecodeDibAt(const uint8_t* data, size_t size, long pixel_offset, int* width, int* height,
                 std::vector<uint8_t>* rgb) {
  if (size < 40) return false;
  uint32_t header = Le32(data);
  if (header < 40 || header > size) return false;
  int32_t w = static_cast<int32_t>(Le32(data + 4));
  int32_t h = static_cast<int32_t>(Le32(data + 8));
  uint16_t planes = Le16(data + 12), bits = Le16(data + 14);
  uint32_t compression = Le32(data + 16);
  if (planes != 1 || (bits != 24 && bits != 32)) return false;
  if (compression != 0 && !(compression == 3 && bits == 32)) return false;
  if (w <= 0 || h == 0 || h == INT32_MIN) return false;
  bool top_down = h < 0;
  int64_t rows = top_down ? -static_cast<int64_t>(h) : h;
  if (w > kMaxSide || rows > kMaxSide || static_cast<uint64_t>(w) * rows > kMaxPixels) return false;
  if (pixel_offset < 0) pixel_offset = header + ((compression == 3 && header == 40) ? 12 : 0);
  size_t bytes_per_pixel = bits / 8;
  size_t stride = (static_cast<size_t>(w) * bytes_per_pixel + 3) & ~size_t{3};
  if (static_cast<size_t>(pixel_offset) > size ||
      (size - static_cast<size_t>(pixel_offset)) / stride < static_cast<size_t>(rows))
    return false;
  rgb->assign(static_cast<size_t>(w) * rows * 3, 0);
  for (int64_t y = 0; y < rows; ++y) {
    int64_t src_row = top_down ? y : rows - 1 - y;
    const uint8_t* src = data + pixel_offset + src_row * stride;
    uint8_t* dst = rgb->data() + static_cast<size_t>(y) * w * 3;
    for (int x = 0; x < w; ++x, src += bytes_per_pixel, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  *width = w;
  *height = static_cast<int>(rows);
  return true;
}

// ---- PNG in memory
// ----------------------------------------------------------------------------------
struct PngReadSource {
  const std::vector<uint8_t>* bytes;
  size_t at;
};

void PngReadFromVector(png_structp png, png_bytep out, png_size_t length) {
  auto* src = static_cast<PngReadSource*>(png_get_io_ptr(png));
  if (src->bytes->size() - src->at < length) png_error(png, "truncated");
  std::memcpy(out, src->bytes->data() + src->at, length);
  src->at += length;
}
void PngWriteToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}

// ---- X11 selection
// ----------------------------------------------------------------------------------
class X11Clipboard {
 public:
  static X11Clipboard& Get() {
    static X11Clipboard instance;
    return instance;
  }
  bool Available() const { return display_ != nullptr; }

  bool Own() {
    if (!display_) return false;
    XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
    XFlush(display_);
    owned_ = XGetSelectionOwner(display_, clipboard_) == window_;
    return owned_;
  }
  bool OwnsClipboard() {
    if (!display_) return false;
    Serve();
    return owned_ && XGetSelectionOwner(display_, clipboard_) == window_;
  }

  int ConnectionDescriptor() const { return display_ ? ConnectionNumber(display_) : -1; }
  bool HasQueuedEvents() const { return display_ && XEventsQueued(display_, QueuedAfterFlush) > 0; }

  void Serve() {
    if (!display_) return;
    while (XPending(display_)) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == SelectionClear)
        owned_ = false;
      else if (event.type == SelectionRequest)
        Answer(event.xselectionrequest);
    }
  }

  // Asks the owner for the target; false on refusal, time-out or an incremental transfer.
  bool Request(Atom target, std::vector<uint8_t>* out) {
    if (!display_) return false;
    XDeleteProperty(display_, window_, property_);
    XConvertSelection(display_, clipboard_, target, property_, window_, CurrentTime);
    XFlush(display_);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    XEvent event;
    while (true) {
      if (XCheckTypedWindowEvent(display_, window_, SelectionNotify, &event)) break;
      Serve();
      // Another connection of this process (GLFW's) may be the owner: let it answer.
      if (MainWindow()) glfwPollEvents();
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (event.xselection.property == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window_, property_, 0, 0x7FFFFFFF / 4, True, AnyPropertyType,
                           &type, &format, &count, &remaining, &data) != Success)
      return false;
    bool ok = data && format == 8 && type != incr_ && remaining == 0;
    if (ok) out->assign(data, data + count);
    if (data) XFree(data);
    return ok;
  }

  Atom png_ = None, bmp_ = None;

 private:
  X11Clipboard() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return;
    display_ = XOpenDisplay(nullptr);
    if (!display_) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
    targets_ = XInternAtom(display_, "TARGETS", False);
    png_ = XInternAtom(display_, "image/png", False);
    bmp_ = XInternAtom(display_, "image/bmp", False);
    incr_ = XInternAtom(display_, "INCR", False);
    property_ = XInternAtom(display_, "BRAE_CLIPBOARD", False);
    max_bytes_ = XExtendedMaxRequestSize(display_) * 4;
    if (max_bytes_ == 0) max_bytes_ = XMaxRequestSize(display_) * 4;
  }

  void Answer(const XSelectionRequestEvent& request) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = request.display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    Atom property = request.property != None ? request.property : request.target;
    reply.property = None;
    const std::vector<uint8_t>& dib = TheStore().dib;
    if (owned_ && !dib.empty()) {
      if (request.target == targets_) {
        Atom list[3] = {targets_, png_, bmp_};
        XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(list), 3);
        reply.property = property;
      } else if (request.target == png_ || request.target == bmp_) {
        std::vector<uint8_t> bytes;
        bool ok = request.target == png_ ? DibToPng(dib, &bytes)
                                         : (bytes = DibToBmpFile(dib), !bytes.empty());
        // Larger transfers would need the incremental protocol; such a request is refused.
        if (ok && bytes.size() + 1024 < max_bytes_) {
          XChangeProperty(display_, request.requestor, property, request.target, 8, PropModeReplace,
                          bytes.data(), static_cast<int>(bytes.size()));
          reply.property = property;
        }
      }
    }
    XSendEvent(display_, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
    XFlush(display_);
  }

  Display* display_ = nullptr;
  ::Window window_ = 0;
  Atom clipboard_ = None, targets_ = None, incr_ = None, property_ = None;
  size_t max_bytes_ = 0;
  bool owned_ = false;
};

bool UseX11() {
  return !TheStore().in_process_only && X11Clipboard::Get().Available();
}
bool UseGlfwText() {
  return !TheStore().in_process_only && MainWindow() != nullptr;
}

}  // namespace

// ---- bitmaps
// ----------------------------------------------------------------------------------------

bool DecodeDib(const std::vector<uint8_t>& dib, int* width, int* height,
               std::vector<uint8_t>* rgb) {
  return DecodeDibAt(dib.data(), dib.size(), -1, width, height, rgb);
}

std::vector<uint8_t> EncodeDib(const std::vector<uint8_t>& rgb, int width, int height) {
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> out(40 + stride * height, 0);
  Put32(&out, 0, 40);
  Put32(&out, 4, static_cast<uint32_t>(width));
  Put32(&out, 8, static_cast<uint32_t>(height));
  Put16(&out, 12, 1);
  Put16(&out, 14, 24);
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = rgb.data() + static_cast<size_t>(height - 1 - y) * width * 3;
    uint8_t* dst = out.data() + 40 + y * stride;
    for (int x = 0; x < width; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return out;
}

std::vector<uint8_t> DibToBmpFile(const std::vector<uint8_t>& dib) {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
  if (!DecodeDib(dib, &w, &h, &rgb)) return {};
  std::vector<uint8_t> body = EncodeDib(rgb, w, h);
  std::vector<uint8_t> file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(&file, 2, static_cast<uint32_t>(14 + body.size()));
  Put32(&file, 10, 14 + 40);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

bool BmpFileToDib(const std::vector<uint8_t>& file, std::vector<uint8_t>* dib) {
  if (file.size() < 14 + 40 || file[0] != 'B' || file[1] != 'M') return false;
  uint32_t offset = Le32(file.data() + 10);
  if (offset < 14 + 40 || offset > file.size()) return false;
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
  if (!DecodeDibAt(file.data() + 14, file.size() - 14, offset - 14, &w, &h, &rgb)) return false;
  *dib = EncodeDib(rgb, w, h);
  return true;
}

bool DibToPng(const std::vector<uint8_t>& dib, std::vector<uint8_t>* out) {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
  if (!DecodeDib(dib, &w, &h, &rgb)) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  out->clear();
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, PngWriteToVector, PngFlush);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) png_write_row(png, rgb.data() + static_cast<size_t>(y) * w * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool PngToDib(const std::vector<uint8_t>& bytes, std::vector<uint8_t>* dib) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8)) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  PngReadSource source{&bytes, 0};
  std::vector<uint8_t> rgb;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &source, PngReadFromVector);
  png_read_info(png, info);
  png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (w == 0 || h == 0 || w > kMaxSide || h > kMaxSide || uint64_t{w} * h > kMaxPixels)
    png_error(png, "bad size");
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_strip_alpha(png);
  int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != w * 3) png_error(png, "unexpected layout");
  rgb.assign(static_cast<size_t>(w) * h * 3, 0);
  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < h; ++y) png_read_row(png, rgb.data() + size_t{y} * w * 3, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  *dib = EncodeDib(rgb, static_cast<int>(w), static_cast<int>(h));
  return true;
}

// ---- images
// -------------------------------------------------------------------------------------------

bool SetClipboardDib(const std::vector<uint8_t>& dib) {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
  if (!DecodeDib(dib, &w, &h, &rgb)) return false;
  Store& store = TheStore();
  store.dib = dib;
  store.has_text = false;
  if (UseX11()) X11Clipboard::Get().Own();
  return true;
}

bool GetClipboardDib(std::vector<uint8_t>* dib) {
  Store& store = TheStore();
  if (!UseX11() || X11Clipboard::Get().OwnsClipboard()) {
    if (store.dib.empty()) return false;
    *dib = store.dib;
    return true;
  }
  X11Clipboard& x = X11Clipboard::Get();
  std::vector<uint8_t> bytes;
  if (x.Request(x.png_, &bytes) && PngToDib(bytes, dib)) return true;
  if (x.Request(x.bmp_, &bytes) && BmpFileToDib(bytes, dib)) return true;
  return false;
}

void ServeClipboard() {
  if (UseX11()) X11Clipboard::Get().Serve();
}

int ClipboardConnectionDescriptor() {
  return UseX11() ? X11Clipboard::Get().ConnectionDescriptor() : -1;
}

bool ClipboardHasQueuedEvents() {
  return UseX11() && X11Clipboard::Get().HasQueuedEvents();
}

void SetClipboardInProcess(bool in_process) {
  TheStore().in_process_only = in_process;
}

void ClearClipboard() {
  Store& store = TheStore();
  bool in_process = store.in_process_only;
  store = Store();
  store.in_process_only = in_process;
}

// ---- text
// ---------------------------------------------------------------------------------------------

void SetClipboardText(const std::string& eight_bit, const std::u16string& unicode) {
  Store& store = TheStore();
  store.has_text = true;
  store.text8 = eight_bit;
  store.text16 = unicode;
  store.dib.clear();
  if (UseGlfwText()) glfwSetClipboardString(nullptr, Utf16ToUtf8(unicode).c_str());
}

bool GetClipboardUnicode(std::u16string* out) {
  Store& store = TheStore();
  if (!UseGlfwText()) {
    if (!store.has_text) return false;
    *out = store.text16;
    return true;
  }
  // While our image owner holds the clipboard there is no text (and asking GLFW would make it
  // wait for an answer from this very process).
  if (UseX11() && X11Clipboard::Get().OwnsClipboard()) return false;
  const char* text = glfwGetClipboardString(nullptr);
  if (!text) return false;
  *out = Utf8ToUtf16(text);
  return true;
}

bool GetClipboardEightBit(std::string* out) {
  Store& store = TheStore();
  if (!store.has_text || UseGlfwText()) return false;
  *out = store.text8;
  return true;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  size_t i = 0, n = text.size();
  while (i < n) {
    uint8_t b = static_cast<uint8_t>(text[i]);
    uint32_t c;
    int extra;
    if (b < 0x80) {
      c = b;
      extra = 0;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      extra = 3;
    } else {
      out += u'?';  // a stray continuation byte
      ++i;
      continue;
    }
    if (i + extra >= n + (extra == 0 ? 1 : 0) && extra) {
      out += u'?';
      break;
    }
    bool valid = true;
    for (int k = 1; k <= extra; ++k) {
      uint8_t cb = static_cast<uint8_t>(text[i + k]);
      if ((cb & 0xC0) != 0x80) valid = false;
      c = (c << 6) | (cb & 0x3F);
    }
    if (!valid) {
      out += u'?';
      ++i;
      continue;
    }
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

}  // namespace brae::platform
