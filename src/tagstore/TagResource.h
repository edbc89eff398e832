#pragma once
// Shared, reference-counted open tags: loaded once, used by every window that needs them.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include "core/CleanHeapObject.h"

#include "tagstore/TagHeader.h"

namespace brae {

class Codex;
class FileStream;
class TagRecord;

struct NilStruct {};

class Resource : public CleanHeapObject<NilStruct> {
 public:
  uint32_t reference_count = 0;
};

class TagResource : public Resource {
 public:
  // Registers itself as a 'tres' user of the record while it exists.
  TagResource(Codex& codex, TagRecord* record);
  ~TagResource() override;
  TagResource(const TagResource&) = delete;
  TagResource& operator=(const TagResource&) = delete;

  const char* ClassName() const override { return "TagResource"; }
  virtual bool Load();
  virtual bool Save();
  // Gives a freshly created tag its default content, then tells listeners (event 3).
  virtual void InitNew() = 0;
  virtual bool ReadData(FileStream& stream, const TagHeader& header) = 0;
  // Must position the stream at the header's offset itself before writing.
  virtual bool WriteData(FileStream& stream, const TagHeader& header) = 0;

  // Tells every listener that this tag's data changed in memory.
  void NotifyDataChanged();

  TagRecord* record() const { return record_; }
  Codex& codex() const { return codex_; }

  TagHeader header;

 protected:
  Codex& codex_;
  TagRecord* record_;
  uint32_t reserved_ = 0;
};

class ResourceManager {
 public:
  virtual ~ResourceManager();
  size_t Count() const { return resources_.size(); }

 protected:
  std::map<const void*, std::unique_ptr<TagResource>> resources_;
};

class TagResourceManagerBase : public ResourceManager {
 public:
  explicit TagResourceManagerBase(Codex& codex) : codex_(codex) {}

  TagResource* AcquireResource(TagRecord* record);
  TagResource* AcquireResourceByTag(uint32_t group, uint32_t subgroup);
  TagResource* CreateNewResource(uint32_t group, const std::string& name, uint32_t subgroup);
  void AddRef(TagResource* resource);
  void Release(TagResource* resource);

 protected:
  virtual std::unique_ptr<TagResource> CreateResource(TagRecord* record) = 0;
  Codex& codex_;
};

// The manager of one resource type; one global instance exists per type.
template <typename T>
class TagResourceManager : public TagResourceManagerBase {
 public:
  explicit TagResourceManager(Codex& codex) : TagResourceManagerBase(codex) {}
  T* Acquire(TagRecord* record) { return static_cast<T*>(AcquireResource(record)); }
  T* AcquireByTag(uint32_t group, uint32_t subgroup) {
    return static_cast<T*>(AcquireResourceByTag(group, subgroup));
  }
  T* CreateNew(uint32_t group, const std::string& name, uint32_t subgroup) {
    return static_cast<T*>(CreateNewResource(group, name, subgroup));
  }

 protected:
  std::unique_ptr<TagResource> CreateResource(TagRecord* record) override {
    return std::make_unique<T>(codex_, record);
  }
};

}  // namespace brae
