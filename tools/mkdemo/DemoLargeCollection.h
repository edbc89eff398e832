#pragma once
// A large generated collection for the collection editor's benchmarks.

#include <string>

#include "mkdemo/DemoGame.h"

namespace brae::demo {

// A '.256' tag of `bitmaps` bitmaps of 16 to 79 pixels a side (RAW and RLE, one and two bytes
// per pixel, every eighth a shadow) and one sequence placing every tenth of them.
DemoTag LargeCollectionTag(int bitmaps, uint32_t subgroup, const std::string& name);

}  // namespace brae::demo
