// brae-cli commands over the media code: bulk image conversion, quantisation, sound lists and
// WAV export.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/CliCommon.h"
#include "core/MessageLog.h"
#include "media/ImageConversion.h"
#include "media/MediaFile.h"
#include "media/PixelConvert.h"
#include "media/Sound.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"

namespace brae::cli {

namespace {

int ConvertImages(const Args& in) {
  Args args = in;
  std::string to;
  const bool alpha_only = TakeFlag(args, "--alpha-only");
  if (!TakeOption(args, "--to", &to) || args.size() != 1) {
    return Fail("expected DIR --to bmp|png|tiff [--alpha-only]");
  }
  MediaType target = MediaType::kUnknown;
  if (to == "bmp") target = MediaType::kBmp;
  if (to == "png") target = MediaType::kPng;
  if (to == "tiff") target = MediaType::kTiff;
  if (target == MediaType::kUnknown) return Fail("unknown target type '%s'", to.c_str());
  if (!FolderExists(args[0])) return Fail("cannot read the folder '%s'", args[0].c_str());
  const ConversionResult result = ConvertImagesInFolder(
      args[0], target, alpha_only ? ConversionMode::kAlphaOnly : ConversionMode::kFull,
      [](const std::string& path) {
        std::printf("%s%s\n", kConversionProgressPrefix, path.c_str());
      });
  std::fflush(stdout);
  for (const ConversionNote& note : result.skipped) {
    std::fprintf(stderr, "skipped %s: %s\n", note.path.c_str(), note.reason.c_str());
  }
  for (const ConversionNote& note : result.failed) {
    std::fprintf(stderr, "failed %s: %s\n", note.path.c_str(), note.reason.c_str());
  }
  std::printf(kConversionDoneText, result.converted);
  std::printf("\n%d converted, %zu skipped, %zu failed\n", result.converted, result.skipped.size(),
              result.failed.size());
  return result.failed.empty() ? kOk : kSomeFailed;
}

// A whole decimal number and nothing else.
bool ParseInt(const std::string& text, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && !std::isspace(static_cast<unsigned char>(text[0]));
}

// quantize IN OUT [--colors N]: any readable image to an 8-bit colour-indexed one of at most N
// colours, written after OUT's extension. Grey and colour-indexed inputs are expanded to RGBA
// first (an indexed input gets its palette chosen again). The output has no alpha; the PSNR
// leaves out the pixels whose alpha is 0, whose colour is never seen.
int Quantize(const Args& in) {
  Args args = in;
  std::string colors_text = "256";
  TakeOption(args, "--colors", &colors_text);
  if (args.size() != 2) return Fail("expected IN OUT [--colors N]");
  long colors = 0;
  if (!ParseInt(colors_text, &colors) || colors < 2 || colors > 256) {
    return Fail("--colors takes a whole number from 2 to 256, not '%s'", colors_text.c_str());
  }
  const std::string& out_path = args[1];
  const MediaType out_type = MediaTypeFromPath(out_path);
  if (out_type != MediaType::kBmp && out_type != MediaType::kPng && out_type != MediaType::kTiff) {
    return Fail("'%s' must end in .bmp, .png, .tif or .tiff", out_path.c_str());
  }
  MediaFile input(args[0], MediaGroup::kImage);
  if (!input.ReadPixels()) {
    return Fail("cannot read the image '%s': %s", args[0].c_str(), input.Reason().c_str());
  }
  MediaFile output(out_path);
  output.image = input.image;
  ColorFidelity fidelity;
  std::string error;
  if (!QuantizeImage(&output.image, int(colors), &fidelity, &error)) {
    return Fail("cannot quantize '%s': %s", args[0].c_str(), error.c_str());
  }
  if (!output.Write()) return Fail("cannot write the image %s", output.Error().c_str());
  const size_t pixels = size_t(input.image.width) * size_t(input.image.height);
  std::printf("palette size: %d\n", output.image.palette.count);
  if (fidelity.pixels == 0) {
    std::printf("PSNR: none (every pixel is transparent)\n");
  } else {
    char psnr[32];
    if (std::isinf(fidelity.psnr_db)) {
      std::snprintf(psnr, sizeof psnr, "inf");
    } else {
      std::snprintf(psnr, sizeof psnr, "%.2f", fidelity.psnr_db);
    }
    std::printf("PSNR: %s dB (RGB over %zu of %zu pixels; pixels of alpha 0 not counted)\n", psnr,
                fidelity.pixels, pixels);
  }
  return kOk;
}

// Loads the game folder and reads the sound tag with the given tagid.
int LoadSound(const std::string& game, const std::string& tagid, Sound* sound) {
  uint32_t id = 0;
  if (!ParseCode(tagid, &id)) return Fail("bad tagid '%s'", tagid.c_str());
  if (!FolderExists(game)) return Fail("cannot read the game folder '%s'", game.c_str());
  TheMessageLog().SetEcho(true);
  TheCodex().LoadCodex(game);
  TagRecord* record = TheCodex().FindTag(kSoundGroup, id);
  if (!record) return Fail("no sound '%s' in '%s'", tagid.c_str(), game.c_str());
  TagHeader header;
  FileStream* stream = TheCodex().BeginTagRead(record, &header);
  if (!stream) return Fail("cannot open the sound '%s'", tagid.c_str());
  std::string error;
  const bool ok = ReadSound(*stream, header, sound, &error);
  TheCodex().EndTagRead(record);
  if (!ok) return Fail("cannot read the sound '%s': %s", tagid.c_str(), error.c_str());
  return kOk;
}

int Sounds(const Args& args) {
  if (args.size() != 2) return Fail("expected GAMEDIR TAGID");
  Sound sound;
  if (int rc = LoadSound(args[0], args[1], &sound)) return rc;
  std::printf("%-26s %-9s %-9s %-10s %s\n", "Name", "Duration", "Bit Depth", "Channels",
              "Sample Rate");
  for (size_t i = 0; i < sound.records.size(); ++i) {
    const SoundRecord& r = sound.records[i];
    std::printf("%-26s %-9s %-9s %-10s %s\n", PermutationName(sound.permutations[i]).c_str(),
                FormatDuration(DurationSeconds(r)).c_str(), FormatBitDepth(r.bits).c_str(),
                FormatChannels(r.channels).c_str(), FormatSampleRate(SampleRateHz(r)).c_str());
  }
  return kOk;
}

int ExportSounds(const Args& in) {
  Args args = in;
  std::vector<std::string> only;
  std::string name;
  while (TakeOption(args, "--only", &name)) only.push_back(name);
  if (args.size() != 3) return Fail("expected GAMEDIR TAGID OUTDIR [--only NAME...]");
  Sound sound;
  if (int rc = LoadSound(args[0], args[1], &sound)) return rc;
  for (const std::string& wanted : only) {
    bool found = false;
    for (const SoundPermutation& p : sound.permutations)
      found = found || PermutationName(p) == wanted;
    if (!found) return Fail("no permutation named '%s'", wanted.c_str());
  }
  if (!MakeFolder(args[2])) return Fail("cannot create the folder '%s'", args[2].c_str());
  int written = 0;
  for (size_t i = 0; i < sound.permutations.size(); ++i) {
    const std::string perm = PermutationName(sound.permutations[i]);
    if (!only.empty() && std::find(only.begin(), only.end(), perm) == only.end()) continue;
    // A file that cannot be written is skipped; the others are still written.
    if (ExportPermutation(sound, i, args[2])) {
      std::printf("%s\n", WavPathFor(args[2], sound.permutations[i]).c_str());
      ++written;
    } else {
      std::printf("skipped '%s' (no samples or the file cannot be created)\n", perm.c_str());
    }
  }
  std::printf("%d files written\n", written);
  return kOk;
}

bool DescribeSound(const std::vector<uint8_t>& data, Node* out, std::string* error) {
  Sound sound;
  if (!ReadSound(data.data(), data.size(), &sound, error)) return false;
  Node& list = out->AddGroup("permutations", true);
  for (size_t i = 0; i < sound.records.size(); ++i) {
    const SoundRecord& r = sound.records[i];
    Node& p = list.AddGroup("");
    p.Add("name", PermutationName(sound.permutations[i]));
    p.Add("duration", FormatDuration(DurationSeconds(r)));
    p.Add("bits", r.bits);
    p.Add("channels", r.channels);
    p.Add("sample_rate", int64_t(SampleRateHz(r)));
    p.Add("packets", int64_t(r.packet_count));
    p.Add("samples", int64_t(sound.samples[i].size()));
  }
  return true;
}

}  // namespace

std::vector<Command> MediaCommands() {
  return {
      {"convert-images", "DIR --to bmp|png|tiff [--alpha-only]", ConvertImages},
      {"quantize", "IN OUT [--colors N]", Quantize},
      {"sounds", "GAMEDIR TAGID", Sounds},
      {"export-sounds", "GAMEDIR TAGID OUTDIR [--only NAME...]", ExportSounds},
  };
}

std::vector<TagDescriber> MediaDescribers() {
  return {{kSoundGroup, DescribeSound}};
}

}  // namespace brae::cli
