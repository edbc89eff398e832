// A large generated collection: many bitmaps of varied sizes and kinds with the demo palette's
// hue wheel, for timing the collection editor.
#include "mkdemo/DemoLargeCollection.h"

#include "collection/CollectionFormat.h"

namespace brae::demo {

DemoTag LargeCollectionTag(int bitmaps, uint32_t subgroup, const std::string& name) {
  Collection c;
  c.name = name;
  for (int i = 1; i < 256; ++i)
    c.palette[size_t(i)] = PaletteColor{uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3)};
  for (int i = 0; i < bitmaps; ++i) {
    const int w = 16 + (i * 37) % 64, h = 16 + (i * 53) % 64;
    uint16_t flags = 0;
    if (i % 8 == 7)
      flags |= kBitmapShadow;
    else if (i % 3 == 1)
      flags |= kBitmapRle;
    if (i % 8 == 5) flags |= kBitmapTwoBytes;
    auto b = CollectionBitmap::MakeIndexed("Generated " + std::to_string(i), w, h, flags);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* px = b->Pixel(x, y);
        const bool inside = (flags & kBitmapRle) == 0 || (x - w / 2) * (x - w / 2) * 4 < w * w;
        if (!inside) continue;
        px[0] = (flags & kBitmapTwoBytes) && (x + y) % 5 == 0 ? 136 : 255;
        px[1] = uint8_t(1 + (x * 3 + y * 5 + i) % 255);
      }
    c.AddBitmap(std::move(b));
  }
  auto s = std::make_unique<CollectionSequence>();
  s->name = "Everything";
  const int frames = (bitmaps + 9) / 10;
  s->Resize(frames, 1);
  for (int f = 0; f < frames; ++f)
    if (CollectionInstance* in = s->InstanceAt(f, 0)) in->bitmap = c.BitmapAt(size_t(f) * 10);
  c.AddSequence(std::move(s));

  DemoTag tag;
  tag.group = Code(".256");
  tag.subgroup = subgroup;
  tag.name = name;
  tag.version = kCollectionVersion;
  tag.user_data = c.flags;
  SaveCollection(c, &tag.data);
  return tag;
}

}  // namespace brae::demo
