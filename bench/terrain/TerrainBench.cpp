// Detail texture coding speed (MB/s of RGB pixels) with the coded size beside libpng's best
// compression of the same image, and reading a mesh of 16 x 16 chunks.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstring>

#include "tagstore/ByteOrder.h"
#include "terrain/ByteSource.h"
#include "terrain/DetailPainting.h"
#include "terrain/DtexCoder.h"
#include "terrain/Mesh.h"

namespace {

// A texture like the terrain's: smooth large-scale shading with fine grain.
std::vector<uint8_t> DetailTexture(int size) {
  std::vector<uint8_t> px(size_t(size) * size * 3);
  uint32_t state = 12345;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      state = state * 1103515245u + 12345u;
      const int grain = int((state >> 16) % 20);
      const int base = 120 + int(30 * std::sin(x * 0.05) * std::cos(y * 0.045));
      uint8_t* p = &px[3 * (size_t(y) * size + x)];
      p[0] = uint8_t(base + grain);
      p[1] = uint8_t(base + grain + 12);
      p[2] = uint8_t(base + grain / 2 - 10);
    }
  }
  return px;
}

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

size_t PngSize(const std::vector<uint8_t>& px, int size) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return 0;
  }
  png_set_write_fn(png, &out, AppendPng, nullptr);
  png_set_compression_level(png, 9);
  png_set_filter(png, 0, PNG_ALL_FILTERS);
  png_set_IHDR(png, info, png_uint_32(size), png_uint_32(size), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < size; ++y) {
    png_write_row(png, const_cast<png_bytep>(px.data() + 3 * size_t(y) * size));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out.size();
}

void BM_DtexEncode(benchmark::State& state) {
  const int size = int(state.range(0));
  const auto px = DetailTexture(size);
  brae::DtexCode code;
  for (auto _ : state) {
    brae::EncodeDtex(px.data(), size, size, &code);
    benchmark::DoNotOptimize(code.words.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(px.size()));
  state.counters["coded_bytes"] = double(code.ByteLength());
  state.counters["png9_bytes"] = double(PngSize(px, size));
  state.counters["raw_bytes"] = double(px.size());
}

void BM_DtexDecode(benchmark::State& state) {
  const int size = int(state.range(0));
  const auto px = DetailTexture(size);
  brae::DtexCode code;
  brae::EncodeDtex(px.data(), size, size, &code);
  std::vector<uint8_t> out;
  int w, h;
  for (auto _ : state) {
    brae::DecodeDtex(code.words.data(), code.words.size(), &out, &w, &h);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(px.size()));
  state.counters["coded_bytes"] = double(code.ByteLength());
}

void BM_MeshRead16x16(benchmark::State& state) {
  const int chunks = 16, w = 32 * chunks;
  std::vector<uint8_t> bytes(1024 + size_t(w) * w * 12, 0);
  brae::StoreBE16(&bytes[8], chunks);
  brae::StoreBE16(&bytes[10], chunks);
  brae::StoreBE32(&bytes[12], 1024);
  for (size_t i = 0; i < size_t(w) * w; ++i) {
    brae::StoreBE16(&bytes[1024 + 12 * i], uint16_t(i * 7));
    brae::StoreBE16(&bytes[1024 + 12 * i + 4], uint16_t(i % 5 == 0 ? 0x1800 : 0x0060));
  }
  for (auto _ : state) {
    brae::MemorySource source(bytes);
    auto mesh = brae::ReadMesh(source, brae::kMeshVersion);
    benchmark::DoNotOptimize(mesh->vertices.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

BENCHMARK(BM_DtexEncode)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DtexDecode)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshRead16x16)->Unit(benchmark::kMillisecond);

// Flood fill over a 512 x 512 vertex map: each pass refills the whole map (one region), and a
// striped map whose region winds through every other row.
void BM_FloodFill512(benchmark::State& state) {
  const bool stripes = state.range(0) != 0;
  const bool triangles = state.range(1) != 0;
  brae::DetailMap map = brae::CreateBlankDetailMap(512, 512);
  if (stripes) {
    // Walls along every other row, open at alternating ends: one long winding region.
    for (int y = 1; y < 512; y += 2) {
      for (int x = 0; x < 512; ++x) {
        const bool gap = ((y / 2) % 2 == 0) ? x == 511 : x == 0;
        if (!gap) {
          map.vertex_details[size_t(y) * 512 + x] = 100;
          map.triangle_details[2 * (size_t(y) * 512 + x)] = 100;
          map.triangle_details[2 * (size_t(y) * 512 + x) + 1] = 100;
        }
      }
    }
  }
  brae::DetailUndoCopies copies;
  copies.Reset(map);
  const brae::DetailKind kind = triangles ? brae::DetailKind::kTriangle : brae::DetailKind::kVertex;
  uint8_t value = 1;
  size_t runs = 0;
  for (auto _ : state) {
    brae::FloodFillRecord fill;
    brae::FloodFill(map, &copies, kind, 0, 0, value, &fill);
    runs = fill.runs.size();
    value = value == 1 ? 2 : 1;
    benchmark::DoNotOptimize(fill.runs.data());
  }
  state.counters["runs"] = double(runs);
}
BENCHMARK(BM_FloodFill512)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->ArgNames({"stripes", "triangles"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
