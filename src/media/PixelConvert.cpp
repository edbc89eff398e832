#include "media/PixelConvert.h"

#include <cmath>
#include <limits>

#include "media/Quantizer.h"

namespace brae {

namespace {

uint8_t Luminance(uint8_t r, uint8_t g, uint8_t b) {
  return uint8_t((77 * r + 150 * g + 29 * b + 128) >> 8);
}

bool IsIndexed(PixelFormat f) {
  return f == PixelFormat::kIndexed || f == PixelFormat::kIndexedAlpha;
}

bool QuantizeTo(Image* image, PixelFormat target, int max_colors) {
  const std::vector<uint8_t> rgba = ExpandToRgba(*image);
  const size_t pixel_count = size_t(image->width) * size_t(image->height);
  const std::vector<Rgb> palette =
      ChoosePalette(BuildColorList(rgba.data(), pixel_count), max_colors);
  const int bpp = BytesPerPixel(target);
  std::vector<uint8_t> out(pixel_count * size_t(bpp));
  MapWithDiffusion(rgba.data(), image->width, image->height, palette, bpp, out.data());
  image->palette = Palette{};
  image->palette.count = int(palette.size());
  for (size_t i = 0; i < palette.size(); ++i) image->palette.entries[i] = palette[i];
  image->pixels = std::move(out);
  image->format = target;
  return true;
}

// Between the one- and two-byte indexed forms.
void ChangeIndexedWidth(Image* image, PixelFormat target) {
  const size_t n = size_t(image->width) * size_t(image->height);
  std::vector<uint8_t> out(n * size_t(BytesPerPixel(target)));
  for (size_t i = 0; i < n; ++i) {
    if (target == PixelFormat::kIndexedAlpha) {
      out[2 * i] = 255;
      out[2 * i + 1] = image->pixels[i];
    } else {
      out[i] = image->pixels[2 * i + 1];
    }
  }
  image->pixels = std::move(out);
  image->format = target;
}

void FromRgba(Image* image, const std::vector<uint8_t>& rgba, PixelFormat target) {
  const size_t n = size_t(image->width) * size_t(image->height);
  std::vector<uint8_t> out(n * size_t(BytesPerPixel(target)));
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = &rgba[4 * i];
    switch (target) {
      case PixelFormat::kGrey:
        out[i] = Luminance(p[0], p[1], p[2]);
        break;
      case PixelFormat::kRgb:
        out[3 * i] = p[0];
        out[3 * i + 1] = p[1];
        out[3 * i + 2] = p[2];
        break;
      default:
        break;
    }
  }
  image->pixels = std::move(out);
  image->format = target;
  image->palette.count = 0;
}

}  // namespace

bool HasAlphaChannel(PixelFormat format) {
  return format == PixelFormat::kRgba || format == PixelFormat::kIndexedAlpha;
}

std::vector<uint8_t> ExpandToRgba(const Image& image) {
  const size_t n = size_t(image.width) * size_t(image.height);
  std::vector<uint8_t> rgba(n * 4);
  if (image.pixels.size() < image.PixelBytes()) return rgba;
  const uint8_t* s = image.pixels.data();
  for (size_t i = 0; i < n; ++i) {
    uint8_t* d = &rgba[4 * i];
    switch (image.format) {
      case PixelFormat::kIndexed: {
        const Rgb& c = image.palette.entries[s[i]];
        d[0] = c.r, d[1] = c.g, d[2] = c.b, d[3] = 255;
        break;
      }
      case PixelFormat::kIndexedAlpha: {
        const Rgb& c = image.palette.entries[s[2 * i + 1]];
        d[0] = c.r, d[1] = c.g, d[2] = c.b, d[3] = s[2 * i];
        break;
      }
      case PixelFormat::kGrey:
        d[0] = d[1] = d[2] = s[i], d[3] = 255;
        break;
      case PixelFormat::kRgb:
        d[0] = s[3 * i], d[1] = s[3 * i + 1], d[2] = s[3 * i + 2], d[3] = 255;
        break;
      case PixelFormat::kRgba:
        d[0] = s[4 * i], d[1] = s[4 * i + 1], d[2] = s[4 * i + 2], d[3] = s[4 * i + 3];
        break;
      case PixelFormat::kNone:
        break;
    }
  }
  return rgba;
}

bool ConvertPixelFormat(Image* image, PixelFormat target, int max_colors) {
  if (image->format == PixelFormat::kNone || target == PixelFormat::kNone) return false;
  if (max_colors < 1 || max_colors > kMaxPaletteSize) return false;
  if (image->width < 1 || image->height < 1 || image->pixels.size() < image->PixelBytes()) {
    return false;
  }
  if (image->format == target) return true;
  if (IsIndexed(target)) {
    if (IsIndexed(image->format)) {
      ChangeIndexedWidth(image, target);
      return true;
    }
    return QuantizeTo(image, target, max_colors);
  }
  std::vector<uint8_t> rgba = ExpandToRgba(*image);
  if (target == PixelFormat::kRgba) {
    image->pixels = std::move(rgba);
    image->format = target;
    image->palette.count = 0;
    return true;
  }
  FromRgba(image, rgba, target);
  return true;
}

bool ExtractAlphaChannel(Image* image) {
  if (!HasAlphaChannel(image->format) || image->pixels.size() < image->PixelBytes()) return false;
  const size_t n = size_t(image->width) * size_t(image->height);
  const int bpp = BytesPerPixel(image->format);
  const size_t alpha_at = image->format == PixelFormat::kRgba ? 3 : 0;
  std::vector<uint8_t> out(n);
  for (size_t i = 0; i < n; ++i) out[i] = image->pixels[size_t(bpp) * i + alpha_at];
  image->pixels = std::move(out);
  image->format = PixelFormat::kGrey;
  image->palette.count = 0;
  return true;
}

ColorFidelity CompareColors(const Image& original, const Image& converted) {
  ColorFidelity result;
  if (original.width != converted.width || original.height != converted.height) return result;
  const std::vector<uint8_t> a = ExpandToRgba(original), b = ExpandToRgba(converted);
  uint64_t squares = 0;
  for (size_t i = 0; i + 3 < a.size(); i += 4) {
    if (a[i + 3] == 0) continue;
    for (size_t c = 0; c < 3; ++c) {
      const int d = int(a[i + c]) - int(b[i + c]);
      squares += uint64_t(d * d);
    }
    ++result.pixels;
  }
  if (result.pixels == 0) return result;
  if (squares == 0) {
    result.psnr_db = std::numeric_limits<double>::infinity();
  } else {
    const double mse = double(squares) / (3.0 * double(result.pixels));
    result.psnr_db = 10 * std::log10(255.0 * 255.0 / mse);
  }
  return result;
}

bool QuantizeImage(Image* image, int max_colors, ColorFidelity* fidelity, std::string* error) {
  auto fail = [error](const char* reason) {
    if (error) *error = reason;
    return false;
  };
  if (max_colors < 2 || max_colors > kMaxPaletteSize) {
    return fail("the number of colours must be 2-256");
  }
  if (image->format == PixelFormat::kNone || image->width < 1 || image->height < 1 ||
      image->pixels.size() < image->PixelBytes()) {
    return fail("the image has no pixels");
  }
  Image result = *image;
  // An indexed picture gets its palette chosen afresh.
  const bool expanded =
      !IsIndexed(result.format) || ConvertPixelFormat(&result, PixelFormat::kRgba);
  if (!expanded || !ConvertPixelFormat(&result, PixelFormat::kIndexed, max_colors)) {
    return fail("the pixels cannot be converted");
  }
  if (fidelity) *fidelity = CompareColors(*image, result);
  *image = std::move(result);
  return true;
}

}  // namespace brae
