#include "collection/BitmapCodec.h"

#include <algorithm>
#include <cstring>

#include "tagstore/ByteOrder.h"

namespace brae {

// Index
//   reading: a bounded cursor, RAW, RLE, high colour, the block
//   writing: RAW, RLE, high colour, the block
//   the placeholder

namespace {

// ---- Reading

// A cursor over bytes that never reads past the end.
class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  size_t Left() const { return size_t(end_ - p_); }
  bool Take(size_t n, const uint8_t** out) {
    if (Left() < n) return false;
    *out = p_;
    p_ += n;
    return true;
  }
  bool Byte(uint8_t* out) {
    if (p_ == end_) return false;
    *out = *p_++;
    return true;
  }
  bool U16(uint16_t* out) {
    const uint8_t* p;
    if (!Take(2, &p)) return false;
    *out = LoadBE16(p);
    return true;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

bool Fail(std::string* error, const char* text) {
  if (error) *error = text;
  return false;
}

// The working form of one stored pixel of one or two bytes.
void StoredToWorking(const uint8_t* stored, bool two_bytes, bool alpha_from_brightness,
                     const CollectionPalette& palette, uint8_t* working) {
  if (two_bytes) {
    const int t = stored[0];
    working[0] = uint8_t(t <= 15 ? (15 - t) * 17 : 0);
    working[1] = stored[1];
    return;
  }
  const uint8_t index = stored[0];
  if (alpha_from_brightness) {
    const PaletteColor& c = palette[index];
    working[0] = std::max(c.r, std::max(c.g, c.b));
  } else {
    working[0] = index > 0 ? 255 : 0;
  }
  working[1] = index;
}

bool DecodeRaw(ByteCursor& in, bool two_bytes, bool brightness, const CollectionPalette& palette,
               CollectionBitmap* out, std::string* error) {
  const size_t stored = two_bytes ? 2 : 1;
  const size_t count = size_t(out->width) * size_t(out->height);
  const uint8_t* p;
  if (!in.Take(count * stored, &p)) return Fail(error, "the pixel data is shorter than the bitmap");
  uint8_t* w = out->pixels.data();
  for (size_t i = 0; i < count; ++i, p += stored, w += 2) {
    StoredToWorking(p, two_bytes, brightness, palette, w);
  }
  return true;
}

bool DecodeRle(ByteCursor& in, bool two_bytes, bool brightness, bool padded,
               const CollectionPalette& palette, CollectionBitmap* out, std::string* error) {
  const size_t stored = two_bytes ? 2 : 1;
  for (int y = 0; y < out->height; ++y) {
    uint16_t spans, pixel_count;
    if (!in.U16(&spans) || !in.U16(&pixel_count)) return Fail(error, "an RLE row is cut short");
    const uint8_t* span_bytes;
    if (!in.Take(size_t(spans) * 4, &span_bytes)) return Fail(error, "an RLE row is cut short");
    size_t covered = 0;
    for (size_t s = 0; s < spans; ++s) {
      const uint16_t start = LoadBE16(span_bytes + 4 * s);
      const uint16_t end = LoadBE16(span_bytes + 4 * s + 2);
      if (start > end || end > out->width) return Fail(error, "an RLE span lies outside its row");
      covered += size_t(end - start);
    }
    if (covered != pixel_count) return Fail(error, "an RLE row's spans and pixel count disagree");
    const uint8_t* p;
    if (!in.Take(covered * stored, &p)) return Fail(error, "an RLE row is cut short");
    for (size_t s = 0; s < spans; ++s) {
      const int start = LoadBE16(span_bytes + 4 * s);
      const int end = LoadBE16(span_bytes + 4 * s + 2);
      for (int x = start; x < end; ++x, p += stored) {
        StoredToWorking(p, two_bytes, brightness, palette, out->Pixel(x, y));
      }
    }
    if (padded && (covered * stored) % 2 == 1) {
      const uint8_t* pad;
      if (!in.Take(1, &pad)) return Fail(error, "an RLE row is cut short");
    }
  }
  return true;
}

}  // namespace

bool DecodeHighColourStream(const uint8_t* data, size_t size, size_t pixel_count, uint8_t* pixels) {
  ByteCursor in(data, size);
  auto read_colours = [&](uint8_t tag, uint8_t* px) {
    px[3] = tag;
    if ((tag & 31) == 0) return true;  // transparent: no colour bytes
    const uint8_t* c;
    if (!in.Take(3, &c)) return false;
    std::memcpy(px, c, 3);
    if (c[0] & 1) {
      const uint8_t* e;
      if (!in.Take(4, &e)) return false;
      std::memcpy(px + 4, e, 4);
    }
    return true;
  };
  size_t i = 0;
  bool run_state = true;
  uint8_t tag = 0;
  while (i < pixel_count) {
    if (run_state) {
      uint8_t n;
      if (!in.Byte(&n)) return false;
      if (n > pixel_count - i) return false;
      for (size_t k = 0; k < n; ++k, ++i) {
        uint8_t* px = pixels + 8 * i;
        std::memset(px, 0, 8);
        if (!read_colours(tag, px)) return false;
      }
      run_state = false;
      continue;
    }
    if (!in.Byte(&tag)) return false;
    uint8_t* px = pixels + 8 * i;
    std::memset(px, 0, 8);
    if (!read_colours(tag, px)) return false;
    ++i;
    if ((tag & 31) == 0 || (tag & 31) == 31) run_state = true;
  }
  return true;
}

bool DecodeBitmapBlock(const uint8_t* block, size_t size, const CollectionPalette& palette,
                       CollectionBitmap* out, std::string* error, size_t max_pixels) {
  if (size < kBitmapHeaderSize) return Fail(error, "the block is shorter than its header");
  BitmapHeaderRecord h;
  RecordFromBytes(block, &h, BitmapHeaderLayout());
  if (h.width <= 0 || h.height <= 0) return Fail(error, "the bitmap has no width or height");
  if (h.size_code >= 3) return Fail(error, "the stored pixel size is unknown");
  const uint16_t flags = h.flags & kBitmapLoadMask;
  const uint16_t encoding = (flags & kBitmapEncodingValid) ? h.encoding : 0;
  if (encoding == 0 && h.bit_depth != h.size_code * 8 + 8) {
    return Fail(error, "the bit depth does not match the stored pixel size");
  }
  if (encoding > 1) return Fail(error, "the pixel encoding is unknown");
  const size_t pixel_count = size_t(h.width) * size_t(h.height);
  if (pixel_count > max_pixels) return Fail(error, "the bitmap is too large");

  ByteCursor in(block + kBitmapHeaderSize, size - kBitmapHeaderSize);
  if (!(flags & kBitmapNoRowGap)) {
    const uint8_t* gap;
    if (!in.Take(size_t(h.height - 1) * 4, &gap))
      return Fail(error, "the row gap passes the block");
  }
  out->width = h.width;
  out->height = h.height;
  out->flags = flags & ~kBitmapNoRowGap;

  if (encoding == 1) {
    out->bytes_per_pixel = 8;
    out->high_colour_size_code = h.size_code;
    // Every pixel takes at least one byte, except in runs (255 pixels per two bytes at best).
    if (pixel_count / 255 > in.Left()) return Fail(error, "the high-colour stream is too short");
    out->pixels.assign(pixel_count * 8, 0);
    const uint8_t* rest;
    const size_t left = in.Left();
    in.Take(left, &rest);
    if (!DecodeHighColourStream(rest, left, pixel_count, out->pixels.data())) {
      return Fail(error, "the high-colour stream is damaged");
    }
    return true;
  }

  const bool two_bytes = h.size_code == 1;
  const bool brightness = (flags & kBitmapAlphaFromBrightness) != 0;
  out->bytes_per_pixel = 2;
  if (flags & kBitmapRle) {
    // Each row takes at least its four count bytes.
    if (size_t(h.height) * 4 > in.Left()) return Fail(error, "the RLE rows pass the block");
    out->pixels.assign(pixel_count * 2, 0);
    return DecodeRle(in, two_bytes, brightness, (flags & kBitmapRlePadded) != 0, palette, out,
                     error);
  }
  if (pixel_count * (two_bytes ? 2 : 1) > in.Left()) {
    return Fail(error, "the pixel data is shorter than the bitmap");
  }
  out->pixels.assign(pixel_count * 2, 0);
  return DecodeRaw(in, two_bytes, brightness, palette, out, error);
}

// ---- Writing

namespace {

void Put16(std::vector<uint8_t>* out, uint16_t v) {
  out->push_back(uint8_t(v >> 8));
  out->push_back(uint8_t(v));
}

// The nibble form of an alpha value: 0 opaque to 15 clear.
uint8_t Transparency(uint8_t alpha) {
  return uint8_t(15 - alpha / 16);
}

void EncodeRaw(const CollectionBitmap& b, bool two_bytes, std::vector<uint8_t>* out) {
  const bool keep_index = (b.flags & kBitmapAlphaFromBrightness) != 0;
  const size_t count = size_t(b.width) * size_t(b.height);
  const uint8_t* w = b.pixels.data();
  for (size_t i = 0; i < count; ++i, w += 2) {
    if (two_bytes) {
      out->push_back(Transparency(w[0]));
      out->push_back(w[1]);
    } else {
      // With alpha from brightness the alpha follows the palette: the index is the pixel.
      out->push_back((w[0] == 0 && !keep_index) ? 0 : w[1]);
    }
  }
}

void EncodeRle(const CollectionBitmap& b, bool two_bytes, std::vector<uint8_t>* out) {
  std::vector<std::pair<int, int>> spans;
  for (int y = 0; y < b.height; ++y) {
    spans.clear();
    for (int x = 0; x < b.width;) {
      if (b.Pixel(x, y)[0] == 0) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < b.width && b.Pixel(x, y)[0] != 0) ++x;
      spans.emplace_back(start, x);
    }
    size_t pixel_count = 0;
    for (const auto& s : spans) pixel_count += size_t(s.second - s.first);
    Put16(out, uint16_t(spans.size()));
    Put16(out, uint16_t(pixel_count));
    for (const auto& s : spans) {
      Put16(out, uint16_t(s.first));
      Put16(out, uint16_t(s.second));
    }
    for (const auto& s : spans) {
      for (int x = s.first; x < s.second; ++x) {
        const uint8_t* w = b.Pixel(x, y);
        if (two_bytes) out->push_back(Transparency(w[0]));
        out->push_back(w[1]);
      }
    }
    if (!two_bytes && pixel_count % 2 == 1) out->push_back(0);
  }
}

}  // namespace

void EncodeHighColourStream(const uint8_t* pixels, size_t pixel_count, std::vector<uint8_t>* out) {
  auto put_colours = [&](const uint8_t* px) {
    if ((px[3] & 31) == 0) return;
    out->insert(out->end(), px, px + 3);
    if (px[0] & 1) out->insert(out->end(), px + 4, px + 8);
  };
  // A run of further pixels with the same tag byte, capped at 255 and at the pixels left.
  auto run_length = [&](size_t from, uint8_t tag) {
    size_t n = 0;
    while (n < 255 && from + n < pixel_count && pixels[8 * (from + n) + 3] == tag) ++n;
    return n;
  };
  size_t i = 0;
  // The stream starts in run state with tag 0.
  size_t n = run_length(0, 0);
  out->push_back(uint8_t(n));
  i += n;
  while (i < pixel_count) {
    const uint8_t* px = pixels + 8 * i;
    const uint8_t tag = px[3];
    out->push_back(tag);
    put_colours(px);
    ++i;
    if ((tag & 31) == 0 || (tag & 31) == 31) {
      n = run_length(i, tag);
      out->push_back(uint8_t(n));
      for (size_t k = 0; k < n; ++k) put_colours(pixels + 8 * (i + k));
      i += n;
    }
  }
  out->push_back(0);
}

void EncodeBitmapBlock(const CollectionBitmap& b, std::vector<uint8_t>* out) {
  BitmapHeaderRecord h;
  std::memset(&h, 0, sizeof h);
  h.width = int16_t(b.width);
  h.height = int16_t(b.height);
  const size_t header_at = out->size();
  out->resize(header_at + kBitmapHeaderSize);

  if (b.IsHighColour()) {
    h.flags = kHighColourFlags;
    h.bit_depth = 64;
    h.size_code = b.high_colour_size_code;
    h.row_bytes = int16_t(b.width << b.high_colour_size_code);
    h.encoding = 1;
    RecordToBytes(h, out->data() + header_at, BitmapHeaderLayout());
    EncodeHighColourStream(b.pixels.data(), size_t(b.width) * size_t(b.height), out);
    return;
  }

  const bool two_bytes = (b.flags & kBitmapTwoBytes) != 0;
  const bool rle = (b.flags & kBitmapRle) != 0;
  h.flags = uint16_t(b.flags & ~0x74);
  if (rle) h.flags |= kBitmapRle | kBitmapRlePadded;
  if (two_bytes) h.flags |= kBitmapTwoBytes;
  h.size_code = two_bytes ? 1 : 0;
  h.bit_depth = two_bytes ? 16 : 8;
  h.row_bytes = int16_t(b.width * (two_bytes ? 2 : 1));
  RecordToBytes(h, out->data() + header_at, BitmapHeaderLayout());
  out->resize(out->size() + size_t(b.height - 1) * 4, 0);
  if (rle) {
    EncodeRle(b, two_bytes, out);
  } else {
    EncodeRaw(b, two_bytes, out);
  }
}

// ---- The placeholder

int NearestPaletteIndex(const CollectionPalette& palette, const PaletteColor& colour) {
  int best = 1;
  long best_distance = -1;
  for (int i = 1; i < 256; ++i) {
    const PaletteColor& c = palette[size_t(i)];
    const long dr = c.r - colour.r, dg = c.g - colour.g, db = c.b - colour.b;
    const long d = dr * dr + dg * dg + db * db;
    if (best_distance < 0 || d < best_distance) {
      best = i;
      best_distance = d;
      if (d == 0) break;
    }
  }
  return best;
}

void MakePlaceholderBitmap(const CollectionPalette& palette, uint16_t flags,
                           CollectionBitmap* out) {
  int dark = 0, light = 255;
  if (flags < 0x80) {
    dark = NearestPaletteIndex(palette, PaletteColor{0, 0, 0});
    light = NearestPaletteIndex(palette, PaletteColor{255, 255, 255});
  }
  out->width = 256;
  out->height = 256;
  out->bytes_per_pixel = 2;
  out->flags = flags & kBitmapShadow;
  out->pixels.assign(256 * 256 * 2, 0);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      uint8_t* w = out->Pixel(x, y);
      w[0] = 255;
      w[1] = uint8_t(((x & 16) == (y & 16)) ? dark : light);
    }
  }
}

}  // namespace brae
