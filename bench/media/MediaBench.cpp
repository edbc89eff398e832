// Speed of the media code: conversion to colour-indexed (with its PSNR) and its steps, IMA4
// decoding, and reading and writing 2048 x 2048 pictures as BMP, PNG and TIFF.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "media/Ima4.h"
#include "media/MediaFile.h"
#include "media/PhotoImage.h"
#include "media/PixelConvert.h"
#include "media/Quantizer.h"

namespace brae {
namespace {

// Smooth shading, edges and fine noise, like a photograph; alpha fades out in one corner.
Image PhotoLike(int size) {
  Image image;
  image.format = PixelFormat::kRgba;
  image.width = image.height = size;
  image.pixels.resize(image.PixelBytes());
  uint32_t seed = 1;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const double noise = double((seed >> 24) & 15) - 7.5;
      const double u = double(x) / size, v = double(y) / size;
      const bool disc = (u - 0.6) * (u - 0.6) + (v - 0.4) * (v - 0.4) < 0.05;
      double r = 120 + 90 * std::sin(6 * u + 2 * v) + 20 * std::sin(40 * u * v) + noise;
      double g = 110 + 70 * std::cos(5 * v - 3 * u) + 30 * std::sin(25 * v) + noise;
      double b = 100 + 80 * std::sin(3 * (u + v)) + (disc ? 60 : 0) + noise;
      uint8_t* p = &image.pixels[(size_t(y) * size_t(size) + size_t(x)) * 4];
      p[0] = uint8_t(std::clamp(r, 0.0, 255.0));
      p[1] = uint8_t(std::clamp(g, 0.0, 255.0));
      p[2] = uint8_t(std::clamp(b, 0.0, 255.0));
      p[3] = uint8_t(u + v > 1.6 ? std::max(0.0, 255 * (2 - u - v) / 0.4) : 255);
    }
  }
  return image;
}

double Psnr(const Image& a, const Image& b) {
  const std::vector<uint8_t> x = ExpandToRgba(a), y = ExpandToRgba(b);
  double sum = 0;
  size_t n = 0;
  for (size_t i = 0; i < x.size(); i += 4) {
    for (size_t c = 0; c < 3; ++c, ++n) sum += double(x[i + c] - y[i + c]) * (x[i + c] - y[i + c]);
  }
  const double mse = sum / double(n);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

void BM_ConvertToIndexed1024(benchmark::State& state) {
  const Image source = PhotoLike(1024);
  Image result;
  for (auto _ : state) {
    result = source;
    ConvertPixelFormat(&result, PixelFormat::kIndexed);
    benchmark::DoNotOptimize(result.pixels.data());
  }
  state.counters["psnr_db"] = Psnr(source, result);
  state.counters["palette"] = result.palette.count;
}
BENCHMARK(BM_ConvertToIndexed1024)->Unit(benchmark::kMillisecond)->Iterations(3);

// The photograph of PhotoImage.h, which bench/media/compare-quantizer.sh also gives to
// ImageMagick: the whole conversion, RGB (as the script's PNG) and with a transparent corner.
void BM_QuantizePhoto1024(benchmark::State& state, bool with_alpha) {
  const Image source = bench::MakePhotoImage(1024, with_alpha);
  Image result;
  for (auto _ : state) {
    result = source;
    ConvertPixelFormat(&result, PixelFormat::kIndexed);
    benchmark::DoNotOptimize(result.pixels.data());
  }
  const ColorFidelity fidelity = CompareColors(source, result);
  state.counters["psnr_db"] = fidelity.psnr_db;
  state.counters["palette"] = result.palette.count;
}
BENCHMARK_CAPTURE(BM_QuantizePhoto1024, rgb, false)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_QuantizePhoto1024, rgba, true)->Unit(benchmark::kMillisecond)->Iterations(3);

// The steps of that conversion one by one, to see where the time goes.
struct PhotoSteps {
  std::vector<uint8_t> rgba;
  std::vector<WeightedColor> colors;
  std::vector<Rgb> initial, palette;
  PhotoSteps() {
    rgba = ExpandToRgba(bench::MakePhotoImage(1024, false));
    colors = BuildColorList(rgba.data(), rgba.size() / 4);
    initial = WuQuantize(colors, 256);
    palette = initial;
    RefinePalette(colors, &palette);
  }
};

const PhotoSteps& Steps() {
  static const PhotoSteps steps;
  return steps;
}

void BM_QuantizeStepColorList(benchmark::State& state) {
  const PhotoSteps& s = Steps();
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildColorList(s.rgba.data(), s.rgba.size() / 4).data());
  }
  state.counters["colors"] = double(s.colors.size());
}
BENCHMARK(BM_QuantizeStepColorList)->Unit(benchmark::kMillisecond);

void BM_QuantizeStepWu(benchmark::State& state) {
  const PhotoSteps& s = Steps();
  for (auto _ : state) benchmark::DoNotOptimize(WuQuantize(s.colors, 256).data());
}
BENCHMARK(BM_QuantizeStepWu)->Unit(benchmark::kMillisecond);

void BM_QuantizeStepRefine(benchmark::State& state) {
  const PhotoSteps& s = Steps();
  int passes = 0;
  for (auto _ : state) {
    std::vector<Rgb> palette = s.initial;
    passes = RefinePalette(s.colors, &palette);
    benchmark::DoNotOptimize(palette.data());
  }
  state.counters["passes"] = passes;
}
BENCHMARK(BM_QuantizeStepRefine)->Unit(benchmark::kMillisecond);

void BM_QuantizeStepMap(benchmark::State& state) {
  const PhotoSteps& s = Steps();
  std::vector<uint8_t> out(s.rgba.size() / 4);
  for (auto _ : state) {
    MapWithDiffusion(s.rgba.data(), 1024, 1024, s.palette, 1, out.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_QuantizeStepMap)->Unit(benchmark::kMillisecond);

void BM_Ima4Decode(benchmark::State& state) {
  const size_t packets = 8192;
  std::vector<uint8_t> data(packets * kIma4PacketBytes);
  uint32_t seed = 7;
  for (size_t i = 0; i < data.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    data[i] = uint8_t(seed >> 24);
  }
  std::vector<int16_t> out(packets * kIma4PacketSamples);
  for (auto _ : state) {
    for (size_t p = 0; p < packets; ++p) {
      DecodeIma4Packet(&data[p * kIma4PacketBytes], &out[p * kIma4PacketSamples], 1);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size() * sizeof(int16_t)));
}
BENCHMARK(BM_Ima4Decode);

std::string TempPath(const char* extension) {
  return "/tmp/brae-media-bench-" + std::to_string(::getpid()) + extension;
}

void BM_Write2048(benchmark::State& state, const char* extension) {
  MediaFile file(TempPath(extension));
  file.image = PhotoLike(2048);
  for (auto _ : state) {
    if (!file.Write()) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.image.PixelBytes()));
  std::remove(file.path.c_str());
}

void BM_Read2048(benchmark::State& state, const char* extension) {
  MediaFile out(TempPath(extension));
  out.image = PhotoLike(2048);
  out.Write();
  for (auto _ : state) {
    MediaFile in(out.path);
    if (!in.ReadPixels()) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(in.image.pixels.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.image.PixelBytes()));
  std::remove(out.path.c_str());
}

BENCHMARK_CAPTURE(BM_Write2048, bmp, ".bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read2048, bmp, ".bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write2048, png, ".png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read2048, png, ".png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write2048, tiff, ".tiff")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read2048, tiff, ".tiff")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
