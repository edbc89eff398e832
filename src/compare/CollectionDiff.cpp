// Collections compared by their parts: the palette, the bitmaps (matched by name), the hue
// changes and the sequences.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "collection/CollectionFormat.h"
#include "compare/TagDiff.h"
#include "media/Sound.h"

namespace brae {

namespace {

constexpr size_t kShownColours = 4;

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string Colours(const CollectionPalette& palette, size_t begin, size_t end) {
  if (end - begin > kShownColours) return std::to_string(end - begin) + " colours";
  std::string text;
  for (size_t i = begin; i < end; ++i) {
    char colour[16];
    std::snprintf(colour, sizeof colour, "%s#%02X%02X%02X", i == begin ? "" : " ", palette[i].r,
                  palette[i].g, palette[i].b);
    text += colour;
  }
  return text;
}

std::string Range(size_t begin, size_t last) {
  return begin == last ? std::to_string(begin) : std::to_string(begin) + "-" + std::to_string(last);
}

std::string Size(const CollectionBitmap& b) {
  return std::to_string(b.width) + " x " + std::to_string(b.height);
}

std::string Encoding(const CollectionBitmap& b) {
  std::string text = std::string(b.DepthText()) + "-bit";
  if (b.IsRle()) text += ", RLE";
  if (b.IsShadow()) text += ", shadow";
  return text;
}

std::string BitmapText(const CollectionBitmap& b) {
  return Size(b) + ", " + Encoding(b);
}

class Rows {
 public:
  explicit Rows(std::vector<TagDifference>* out) : out_(out) {}
  void Add(const std::string& path, const std::string& a, const std::string& b) {
    if (a != b) out_->push_back({path, a, b});
  }
  void Add(const std::string& path, int64_t a, int64_t b) {
    if (a != b) out_->push_back({path, std::to_string(a), std::to_string(b)});
  }

 private:
  std::vector<TagDifference>* out_;
};

void ComparePalettes(const Collection& a, const Collection& b, Rows& rows) {
  size_t i = 0;
  while (i < a.palette.size()) {
    if (a.palette[i] == b.palette[i]) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < a.palette.size() && a.palette[end] != b.palette[end]) ++end;
    rows.Add("palette[" + Range(i, end - 1) + "]", Colours(a.palette, i, end),
             Colours(b.palette, i, end));
    i = end;
  }
}

void CompareBitmap(const std::string& path, const CollectionBitmap& a, const CollectionBitmap& b,
                   Rows& rows) {
  rows.Add(path + ".size", Size(a), Size(b));
  rows.Add(path + ".encoding", Encoding(a), Encoding(b));
  if (a.width != b.width || a.height != b.height || a.bytes_per_pixel != b.bytes_per_pixel ||
      a.pixels.size() != b.pixels.size())
    return;
  size_t differ = 0;
  const size_t step = size_t(std::max(1, a.bytes_per_pixel));
  for (size_t p = 0; p + step <= a.pixels.size(); p += step)
    differ += !std::equal(a.pixels.begin() + long(p), a.pixels.begin() + long(p + step),
                          b.pixels.begin() + long(p));
  if (differ) rows.Add(path + ".pixels", "", std::to_string(differ) + " pixels differ");
}

// Bitmaps are matched by name, in order; unmatched ones at the same place were renamed.
void CompareBitmaps(const Collection& a, const Collection& b, Rows& rows) {
  const size_t na = a.bitmaps.size(), nb = b.bitmaps.size();
  std::vector<int> match_a(na, -1), match_b(nb, -1);
  for (size_t i = 0; i < na; ++i)
    for (size_t j = 0; j < nb; ++j)
      if (match_b[j] < 0 && a.bitmaps[i]->name == b.bitmaps[j]->name) {
        match_a[i] = int(j);
        match_b[j] = int(i);
        break;
      }
  for (size_t i = 0; i < na && i < nb; ++i)
    if (match_a[i] < 0 && match_b[i] < 0) {
      match_a[i] = int(i);
      match_b[i] = int(i);
      rows.Add("bitmaps['" + a.bitmaps[i]->name + "'].name", a.bitmaps[i]->name,
               b.bitmaps[i]->name);
    }
  for (size_t i = 0; i < na; ++i) {
    const std::string path = "bitmaps['" + a.bitmaps[i]->name + "']";
    if (match_a[i] < 0)
      rows.Add(path, BitmapText(*a.bitmaps[i]), "");
    else
      CompareBitmap(path, *a.bitmaps[i], *b.bitmaps[size_t(match_a[i])], rows);
  }
  for (size_t j = 0; j < nb; ++j)
    if (match_b[j] < 0)
      rows.Add("bitmaps['" + b.bitmaps[j]->name + "']", "", BitmapText(*b.bitmaps[j]));
}

std::string MaskText(const HueChange& h) {
  std::string text;
  int begin = -1;
  for (int i = 0; i <= 256; ++i) {
    const bool on = i < 256 && (h.mask[i / 8] >> (i % 8)) & 1;
    if (on && begin < 0) begin = i;
    if (!on && begin >= 0) {
      text += (text.empty() ? "" : ", ") + Range(size_t(begin), size_t(i - 1));
      begin = -1;
    }
  }
  return text.empty() ? "none" : text;
}

std::string HueName(const HueChange& h) {
  return FixedName(h.name, sizeof h.name);
}

void CompareHueChanges(const Collection& a, const Collection& b, Rows& rows) {
  const size_t n = std::max(a.hue_changes.size(), b.hue_changes.size());
  for (size_t i = 0; i < n; ++i) {
    const std::string path = "hue_changes[" + std::to_string(i) + "]";
    if (i >= a.hue_changes.size() || i >= b.hue_changes.size()) {
      rows.Add(path, i < a.hue_changes.size() ? HueName(a.hue_changes[i]) : "",
               i < b.hue_changes.size() ? HueName(b.hue_changes[i]) : "");
      continue;
    }
    const HueChange& x = a.hue_changes[i];
    const HueChange& y = b.hue_changes[i];
    auto rgb = [](const HueChange& h) {
      return std::to_string(h.replacement[0] >> 8) + " " + std::to_string(h.replacement[1] >> 8) +
             " " + std::to_string(h.replacement[2] >> 8);
    };
    rows.Add(path + ".name", HueName(x), HueName(y));
    rows.Add(path + ".start_hue", x.start_hue, y.start_hue);
    rows.Add(path + ".end_hue", x.end_hue, y.end_hue);
    rows.Add(path + ".mask", MaskText(x), MaskText(y));
    rows.Add(path + ".min_saturation", x.min_saturation, y.min_saturation);
    rows.Add(path + ".median_hue", x.median_hue, y.median_hue);
    rows.Add(path + ".use_as", x.use_as, y.use_as);
    rows.Add(path + ".replacement", rgb(x), rgb(y));
    rows.Add(path + ".flags", x.flags, y.flags);
    rows.Add(path + ".replacement_mode", x.replacement_mode, y.replacement_mode);
  }
}

std::string SequenceFlags(uint32_t flags) {
  std::string text;
  const std::pair<uint32_t, const char*> names[] = {{kSequenceMirrored, "mirrored"},
                                                    {kSequenceHasFrames, "has frames"},
                                                    {kSequenceNoRotation, "no rotation"}};
  for (const auto& [bit, name] : names)
    if (flags & bit) text += (text.empty() ? "" : ", ") + std::string(name);
  const uint32_t rest =
      flags & ~uint32_t(kSequenceMirrored | kSequenceHasFrames | kSequenceNoRotation);
  if (rest) text += (text.empty() ? "" : ", ") + Hex(rest);
  return text.empty() ? "none" : text;
}

std::string CellText(const std::optional<CollectionInstance>& cell) {
  if (!cell) return "empty";
  const CollectionInstance& c = *cell;
  std::string text = c.bitmap ? "'" + c.bitmap->name + "'" : "no bitmap";
  text += " at (" + std::to_string(c.reg_x) + ", " + std::to_string(c.reg_y) + ") key (" +
          std::to_string(c.key_x) + ", " + std::to_string(c.key_y) + ")";
  if (c.flags) text += " flags " + Hex(c.flags);
  return text;
}

void CompareSequence(const std::string& path, const CollectionSequence& x,
                     const CollectionSequence& y, const DiffContext& context, Rows& rows) {
  const SequenceHeaderRecord& p = x.header;
  const SequenceHeaderRecord& q = y.header;
  rows.Add(path + ".name", x.name, y.name);
  rows.Add(path + ".frames", x.FrameCount(), y.FrameCount());
  rows.Add(path + ".views", p.view_count, q.view_count);
  rows.Add(path + ".ticks", p.ticks_per_frame, q.ticks_per_frame);
  rows.Add(path + ".flags", SequenceFlags(p.flags), SequenceFlags(q.flags));
  rows.Add(path + ".key_frame", p.key_frame, q.key_frame);
  rows.Add(path + ".loop_frame", p.loop_frame, q.loop_frame);
  const std::pair<const char*, uint32_t SequenceHeaderRecord::*> sounds[] = {
      {".first_sound", &SequenceHeaderRecord::first_sound},
      {".key_sound", &SequenceHeaderRecord::key_sound},
      {".last_sound", &SequenceHeaderRecord::last_sound}};
  for (const auto& [name, field] : sounds)
    rows.Add(path + name, TagIdText(context.names, kSoundGroup, p.*field),
             TagIdText(context.names, kSoundGroup, q.*field));
  rows.Add(path + ".transfer_mode", p.transfer_mode, q.transfer_mode);
  rows.Add(path + ".transfer_period", p.transfer_period, q.transfer_period);
  // Cells of the frames and views both copies have: their bitmap and points.
  for (int f = 0; f < std::min(x.FrameCount(), y.FrameCount()); ++f) {
    const auto& va = x.frames[size_t(f)].views;
    const auto& vb = y.frames[size_t(f)].views;
    for (size_t v = 0; v < va.size() && v < vb.size(); ++v)
      rows.Add(path + ".frames[" + std::to_string(f) + "].views[" + std::to_string(v) + "]",
               CellText(va[v]), CellText(vb[v]));
  }
}

void CompareSequences(const Collection& a, const Collection& b, const DiffContext& context,
                      Rows& rows) {
  const size_t n = std::max(a.sequences.size(), b.sequences.size());
  for (size_t i = 0; i < n; ++i) {
    const std::string path = "sequences[" + std::to_string(i) + "]";
    if (i >= a.sequences.size() || i >= b.sequences.size()) {
      rows.Add(path, i < a.sequences.size() ? a.sequences[i]->name : "",
               i < b.sequences.size() ? b.sequences[i]->name : "");
      continue;
    }
    CompareSequence(path, *a.sequences[i], *b.sequences[i], context, rows);
  }
}

}  // namespace

bool CompareCollections(const TagCopy& old_copy, const TagCopy& new_copy,
                        const DiffContext& context, TagDiff* out) {
  Collection collections[2];
  const TagCopy* copies[2] = {&old_copy, &new_copy};
  for (int side = 0; side < 2; ++side) {
    const TagCopy& copy = *copies[side];
    CollectionResult result = LoadCollection(copy.data.data(), copy.data.size(), copy.header,
                                             CollectionLoadOptions{}, &collections[side]);
    // Bitmap blocks the loader replaced by placeholders cannot be compared either.
    if (!result || result.placeholders) {
      out->ok = false;
      out->error =
          std::string(side ? "new" : "old") + " copy: " +
          (result ? std::to_string(result.placeholders) + " bitmap blocks cannot be decoded"
                  : result.message);
      return false;
    }
  }
  const Collection& a = collections[0];
  const Collection& b = collections[1];
  Rows rows(&out->differences);
  rows.Add("flags", Hex(a.flags), Hex(b.flags));
  ComparePalettes(a, b, rows);
  CompareBitmaps(a, b, rows);
  CompareHueChanges(a, b, rows);
  CompareSequences(a, b, context, rows);
  return true;
}

}  // namespace brae
