#pragma once
// The demo game's structure definitions, built once per fuzzing process, and tag names that every
// id has (a name comes back as the id 7).
#include <cstdint>
#include <string>
#include <vector>

#include "editing/structdefs/MemberText.h"
#include "editing/structdefs/StructRegistry.h"
#include "mkdemo/DemoGame.h"

inline const brae::StructRegistry& DemoRegistry() {
  static brae::StructRegistry* registry = [] {
    auto* r = new brae::StructRegistry();
    r->AddDefinitionText(brae::demo::DemoDefinitionText());
    r->BuildRegistry();
    return r;
  }();
  return *registry;
}

class EchoTags : public brae::TagNames {
 public:
  bool NameOf(int64_t, uint32_t id, std::string* name) const override {
    *name = "tag " + std::to_string(id);
    return true;
  }
  std::vector<uint32_t> IdsNamed(int64_t, const std::string&) const override { return {7}; }
};
