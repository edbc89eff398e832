#include "terrain/DtexTag.h"

#include "tagstore/Codex.h"
#include "tagstore/FileStream.h"
#include "terrain/ByteSource.h"
#include "terrain/DtexCoder.h"
#include "terrain/DtexFiles.h"

namespace brae {

void DtexTag::InitNew() {
  image_ = MakeCheckerboardDtex();
  Changed();
}

bool DtexTag::ReadData(FileStream& stream, const TagHeader& header) {
  FileSource source(stream, header.offset);
  std::optional<DtexImage> image = ParseDtexData(source);
  if (!image) return false;
  image_ = std::move(*image);
  texture_current_ = false;
  ++generation_;
  return true;
}

bool DtexTag::WriteData(FileStream& stream, const TagHeader& header) {
  const std::vector<uint8_t> bytes = SerializeDtexData(image_);
  return !bytes.empty() && stream.Seek(header.offset) && stream.Write(bytes.data(), bytes.size());
}

bool DtexTag::SetPixels(const uint8_t* pixels, int width, int height) {
  if (width < 1 || height < 1 || width > kDtexMaxDimension || height > kDtexMaxDimension) {
    return false;
  }
  image_.width = width;
  image_.height = height;
  image_.pixels.assign(pixels, pixels + size_t(width) * height * 3);
  Changed();
  return true;
}

void DtexTag::MeanCenterRgb() {
  brae::MeanCenterRgb(image_);
  Changed();
}

void DtexTag::MeanCenterLuma() {
  brae::MeanCenterLuma(image_);
  Changed();
}

void DtexTag::WrapHalf() {
  brae::WrapHalf(image_);
  Changed();
}

void DtexTag::Changed() {
  texture_current_ = false;
  ++generation_;
  NotifyDataChanged();
}

TagResourceManager<DtexTag>& TheDtexManager() {
  static TagResourceManager<DtexTag> manager(TheCodex());
  return manager;
}

bool ReplaceDtexFromFile(DtexTag* tag, const std::string& path, std::string* error) {
  std::optional<DtexImage> image = ReadDtexImageFile(path, error);
  if (!image) return false;
  if (!tag->SetPixels(image->pixels.data(), image->width, image->height)) {
    *error = kDtexPowerOfTwoText;
    return false;
  }
  return true;
}

}  // namespace brae
