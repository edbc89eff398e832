#include "tagstore/TagResource.h"

#include "tagstore/Codex.h"

namespace brae {

TagResource::TagResource(Codex& codex, TagRecord* record) : codex_(codex), record_(record) {
  codex_.AddTagUser(record_, kUserResource, this);
}

TagResource::~TagResource() {
  codex_.RemoveTagUser(record_, kUserResource, this);
}

bool TagResource::Load() {
  FileStream* stream = codex_.BeginTagRead(record_, &header);
  if (!stream) return false;
  const bool ok = ReadData(*stream, header);
  codex_.EndTagRead(record_);
  return ok;
}

bool TagResource::Save() {
  FileStream* stream = codex_.BeginTagWrite(record_, &header);
  if (!stream) return false;
  const bool ok = WriteData(*stream, header);
  return codex_.EndTagWrite(record_, &header, ok) && ok;
}

void TagResource::NotifyDataChanged() {
  codex_.NotifyCodexListeners(kTagDataChanged, record_, nullptr);
}

ResourceManager::~ResourceManager() = default;

TagResource* TagResourceManagerBase::AcquireResource(TagRecord* record) {
  if (!record) return nullptr;
  auto it = resources_.find(record);
  if (it != resources_.end()) {
    ++it->second->reference_count;
    return it->second.get();
  }
  std::unique_ptr<TagResource> resource = CreateResource(record);
  if (!resource->Load()) return nullptr;  // destroyed here: nothing stays in the map
  resource->reference_count = 1;
  TagResource* raw = resource.get();
  resources_[record] = std::move(resource);
  return raw;
}

TagResource* TagResourceManagerBase::AcquireResourceByTag(uint32_t group, uint32_t subgroup) {
  if (subgroup == kNoSubgroup) return nullptr;
  return AcquireResource(codex_.FindTag(group, subgroup));
}

TagResource* TagResourceManagerBase::CreateNewResource(uint32_t group, const std::string& name,
                                                       uint32_t subgroup) {
  TagHeader header;
  TagRecord* record = codex_.CreateTag(group, subgroup, name, &header, false);
  if (!record) return nullptr;
  std::unique_ptr<TagResource> resource = CreateResource(record);
  resource->header = header;
  resource->InitNew();
  resource->reference_count = 1;
  TagResource* raw = resource.get();
  resources_[record] = std::move(resource);
  return raw;
}

void TagResourceManagerBase::AddRef(TagResource* resource) {
  if (resource) ++resource->reference_count;
}

void TagResourceManagerBase::Release(TagResource* resource) {
  if (!resource) return;
  if (resource->reference_count > 1) {
    --resource->reference_count;
    return;
  }
  resources_.erase(resource->record());
}

}  // namespace brae
