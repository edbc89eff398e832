// Comparing two copies of a tag: the choice of comparison, the byte comparison that every
// unknown group gets, and sounds.
#include "compare/TagDiff.h"

#include <algorithm>
#include <cstdio>

#include "collection/CollectionFormat.h"
#include "editing/structdefs/MemberText.h"
#include "editing/structdefs/StructRegistry.h"
#include "media/Sound.h"
#include "tagstore/FourCCText.h"
#include "tagstore/TextTagData.h"

namespace brae {

namespace {

constexpr size_t kShownBytes = 8;  // bytes of each side shown for a range

bool IsTextGroup(uint32_t group) {
  for (uint32_t code :
       {FourCC("ditl"), FourCC("scri"), FourCC("stli"), FourCC("temp"), FourCC("text")})
    if (group == code) return true;
  return false;
}

std::string HexBytes(const std::vector<uint8_t>& data, size_t begin, size_t end) {
  std::string text;
  char hex[4];
  for (size_t i = begin; i < end && i < data.size(); ++i) {
    if (i - begin == kShownBytes) return text + " ...";
    std::snprintf(hex, sizeof hex, i == begin ? "%02X" : " %02X", data[i]);
    text += hex;
  }
  return text;
}

void Add(std::vector<TagDifference>* out, std::string path, std::string old_value,
         std::string new_value) {
  out->push_back({std::move(path), std::move(old_value), std::move(new_value)});
}

}  // namespace

std::string TagIdText(const TagNames* names, int64_t group, uint32_t id) {
  if (id == 0xFFFFFFFFu) return "none";
  std::string name;
  if (names && names->NameOf(group, id, &name)) return name + " (" + FourCCText(id) + ")";
  return FourCCText(id);
}

const char* DiffKindOf(uint32_t group, const DiffContext& context) {
  if (context.definitions && context.definitions->DefinitionForGroup(group)) return "structure";
  if (group == kCollectionGroup) return "collection";
  if (group == FourCC("mesh")) return "mesh";
  if (group == FourCC("dmap")) return "detail map";
  if (group == kSoundGroup) return "sound";
  if (IsTextGroup(group)) return "text";
  return "bytes";
}

TagDiff CompareTagCopies(uint32_t group, const TagCopy& old_copy, const TagCopy& new_copy,
                         const DiffContext& context) {
  TagDiff diff;
  if (old_copy.header.Name() != new_copy.header.Name())
    Add(&diff.differences, "name", old_copy.header.Name(), new_copy.header.Name());
  const std::string kind = DiffKindOf(group, context);
  if (kind == "structure") {
    CompareStructures(group, old_copy, new_copy, context, &diff);
  } else if (kind == "collection") {
    CompareCollections(old_copy, new_copy, context, &diff);
  } else if (kind == "mesh") {
    CompareMeshes(old_copy, new_copy, &diff);
  } else if (kind == "detail map") {
    CompareDetailMaps(old_copy, new_copy, &diff);
  } else if (kind == "sound") {
    CompareSounds(old_copy, new_copy, &diff);
  } else if (kind == "text") {
    CompareText(group, old_copy.data, new_copy.data, &diff.differences);
  } else {
    CompareBytes(old_copy.data, new_copy.data, &diff.differences);
  }
  if (!diff.ok) diff.differences.clear();
  return diff;
}

// ---- bytes

void CompareBytes(const std::vector<uint8_t>& old_data, const std::vector<uint8_t>& new_data,
                  std::vector<TagDifference>* out) {
  const size_t common = std::min(old_data.size(), new_data.size());
  size_t i = 0;
  while (i < common) {
    if (old_data[i] == new_data[i]) {
      ++i;
      continue;
    }
    // The range runs on while the next difference is fewer than kByteGap bytes away.
    size_t begin = i, last = i, count = 0;
    for (size_t j = i; j < common && j - last <= kByteGap; ++j) {
      if (old_data[j] != new_data[j]) {
        last = j;
        ++count;
      }
    }
    const size_t end = last + 1;
    const std::string path = "bytes " + std::to_string(begin) + "-" + std::to_string(last) + " (" +
                             std::to_string(count) + " differ)";
    Add(out, path, HexBytes(old_data, begin, end), HexBytes(new_data, begin, end));
    i = end;
  }
  if (old_data.size() != new_data.size())
    Add(out, "length", std::to_string(old_data.size()) + " bytes",
        std::to_string(new_data.size()) + " bytes");
}

// ---- sounds

namespace {

std::string PermutationText(const Sound& sound, size_t i) {
  const SoundRecord& r = sound.records[i];
  return "'" + PermutationName(sound.permutations[i]) + "' " + std::to_string(r.packet_count) +
         " packets, " + FormatSampleRate(SampleRateHz(r)) + ", " + FormatChannels(r.channels);
}

}  // namespace

bool CompareSounds(const TagCopy& old_copy, const TagCopy& new_copy, TagDiff* out) {
  Sound sounds[2];
  const TagCopy* copies[2] = {&old_copy, &new_copy};
  for (int side = 0; side < 2; ++side) {
    std::string error;
    if (!ReadSound(copies[side]->data.data(), copies[side]->data.size(), &sounds[side], &error)) {
      out->ok = false;
      out->error = std::string(side ? "new" : "old") + " copy: " + error;
      return false;
    }
  }
  const Sound& a = sounds[0];
  const Sound& b = sounds[1];
  std::vector<TagDifference>& rows = out->differences;
  const size_t n = std::max(a.permutations.size(), b.permutations.size());
  for (size_t i = 0; i < n; ++i) {
    const std::string path = "permutations[" + std::to_string(i) + "]";
    if (i >= a.permutations.size()) {
      Add(&rows, path, "", PermutationText(b, i));
      continue;
    }
    if (i >= b.permutations.size()) {
      Add(&rows, path, PermutationText(a, i), "");
      continue;
    }
    const SoundRecord& ra = a.records[i];
    const SoundRecord& rb = b.records[i];
    if (PermutationName(a.permutations[i]) != PermutationName(b.permutations[i]))
      Add(&rows, path + ".name", PermutationName(a.permutations[i]),
          PermutationName(b.permutations[i]));
    if (ra.packet_count != rb.packet_count)
      Add(&rows, path + ".length", std::to_string(ra.packet_count) + " packets",
          std::to_string(rb.packet_count) + " packets");
    if (SampleRateHz(ra) != SampleRateHz(rb))
      Add(&rows, path + ".rate", FormatSampleRate(SampleRateHz(ra)),
          FormatSampleRate(SampleRateHz(rb)));
    if (ra.channels != rb.channels)
      Add(&rows, path + ".channels", FormatChannels(ra.channels), FormatChannels(rb.channels));
    if (ra.packet_count == rb.packet_count && ra.channels == rb.channels &&
        a.samples[i] != b.samples[i]) {
      size_t differ = 0;
      for (size_t s = 0; s < a.samples[i].size() && s < b.samples[i].size(); ++s)
        differ += a.samples[i][s] != b.samples[i][s];
      Add(&rows, path + ".samples", "", std::to_string(differ) + " samples differ");
    }
  }
  return true;
}

}  // namespace brae
