#include "editing/structdefs/StructRegistry.h"

#include <tinyxml2.h>

#include <functional>
#include <map>

#include "core/MessageLog.h"
#include "core/ProgramPaths.h"
#include "tagstore/FileSystem.h"
#include "tagstore/FourCC.h"
#include "tagstore/TagGroups.h"

namespace brae {

namespace {
constexpr const char* kRootElement = "braexmlfile";
constexpr const char* kLogCategory = "Structures";
// How deeply structures may embed each other.
constexpr int kMaxNesting = 32;
}  // namespace

StructRegistry::StructRegistry() = default;
StructRegistry::~StructRegistry() = default;

StructRegistry& TheStructRegistry() {
  static StructRegistry registry;
  return registry;
}

bool StructRegistry::KeepDocument(std::unique_ptr<tinyxml2::XMLDocument> document,
                                  const std::string& source) {
  const tinyxml2::XMLElement* root = document->FirstChildElement(kRootElement);
  if (!root) return false;
  roots_.push_back(root);
  sources_.push_back(source);
  documents_.push_back(std::move(document));
  return true;
}

int StructRegistry::LoadDefinitionFiles(const std::string& folder) {
  int kept = 0;
  ScanFolder(
      folder, false,
      [&](const FileInfoRecord&, const std::string& path, const std::string& name) {
        auto document = std::make_unique<tinyxml2::XMLDocument>();
        if (document->LoadFile((path + name).c_str()) == tinyxml2::XML_SUCCESS &&
            KeepDocument(std::move(document), path + name)) {
          ++kept;
        }
        return true;
      },
      nullptr);
  return kept;
}

bool StructRegistry::AddDefinitionText(const std::string& text) {
  auto document = std::make_unique<tinyxml2::XMLDocument>();
  if (document->Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) return false;
  return KeepDocument(std::move(document), "(text)");
}

void StructRegistry::Clear() {
  bound_.clear();
  forms_.clear();
  definitions_.clear();
  roots_.clear();
  sources_.clear();
  documents_.clear();
}

// Gives every substruct member its embedded definition and lays out every definition, inner
// ones first. A substruct that names no definition, or that would embed a structure in
// itself, is left out; a definition that grows past what the converter can describe is
// dropped.
void StructRegistry::ResolveSubstructs() {
  enum State { kNew, kVisiting, kDone };
  std::map<const StructDefinition*, State> state;
  int depth = 0;
  std::function<void(StructDefinition*)> resolve = [&](StructDefinition* def) {
    state[def] = kVisiting;
    ++depth;
    auto& members = def->members;
    for (size_t i = 0; i < members.size();) {
      auto* m = members[i].get();
      if (m->type != kMemberSubstruct) {
        ++i;
        continue;
      }
      auto* sub = static_cast<VornStructMember*>(m);
      StructDefinition* inner =
          const_cast<StructDefinition*>(FindStructDefinition(sub->struct_name));
      if (inner && state[inner] == kNew && depth < kMaxNesting) resolve(inner);
      if (!inner || state[inner] != kDone || inner->Size() > kMaxStructSize) {
        Log(0, kLogCategory, "'%s': the substruct '%s' of type '%s' was left out.\n",
            def->name.c_str(), sub->name.c_str(), sub->struct_name.c_str());
        members.erase(members.begin() + std::ptrdiff_t(i));
        continue;
      }
      sub->embedded = inner;
      ++i;
    }
    def->LayOutMembers();
    state[def] = kDone;
    --depth;
  };
  for (auto& def : definitions_) {
    if (state[def.get()] == kNew) resolve(def.get());
  }
  for (auto it = definitions_.begin(); it != definitions_.end();) {
    if ((*it)->Size() > kMaxStructSize) {
      Log(0, kLogCategory, "'%s' is larger than %zu bytes and was left out.\n", (*it)->name.c_str(),
          kMaxStructSize);
      it = definitions_.erase(it);
    } else {
      ++it;
    }
  }
}

void StructRegistry::BuildRegistry() {
  bound_.clear();
  forms_.clear();
  definitions_.clear();
  // Where each name was taken first, to name both files when a later one is set aside.
  std::map<std::string, size_t> struct_source, form_source;
  auto set_aside = [this](const char* kind, const std::string& name, size_t root, size_t kept) {
    Log(0, kLogCategory, "The %s '%s' of '%s' is set aside: '%s' defines it.\n", kind, name.c_str(),
        sources_[root].c_str(), sources_[kept].c_str());
  };
  for (size_t i = 0; i < roots_.size(); ++i) {
    for (const tinyxml2::XMLElement* e = roots_[i]->FirstChildElement("struct"); e;
         e = e->NextSiblingElement("struct")) {
      auto def = StructDefinition::Parse(*e);
      if (!def) continue;
      auto [taken, fresh] = struct_source.emplace(def->name, i);
      if (!fresh) {
        set_aside("structure", def->name, i, taken->second);
        continue;
      }
      definitions_.push_back(std::move(def));
    }
  }
  for (size_t i = 0; i < roots_.size(); ++i) {
    for (const tinyxml2::XMLElement* e = roots_[i]->FirstChildElement("structedit"); e;
         e = e->NextSiblingElement("structedit")) {
      const char* target = e->Attribute("struct");
      auto [taken, fresh] = form_source.emplace(target ? target : "", i);
      if (!fresh && target) {
        set_aside("form", target, i, taken->second);
        continue;
      }
      forms_.push_back(e);
    }
  }
  ResolveSubstructs();
  for (const auto& def : definitions_) {
    const std::string& n = def->name;
    if (n.size() != 4) continue;
    const uint32_t group = MakeFourCC(n[0], n[1], n[2], n[3]);
    if (!FindTagGroup(group) || DefinitionForGroup(group)) continue;
    bound_.push_back({group, def.get()});
  }
}

const StructDefinition* StructRegistry::FindStructDefinition(const std::string& name) const {
  for (const auto& def : definitions_) {
    if (def->name == name) return def.get();
  }
  return nullptr;
}

const tinyxml2::XMLElement* StructRegistry::FindFormDefinition(
    const std::string& struct_name) const {
  for (const tinyxml2::XMLElement* form : forms_) {
    const char* target = form->Attribute("struct");
    if (target && struct_name == target) return form;
  }
  return nullptr;
}

const StructDefinition* StructRegistry::DefinitionForGroup(uint32_t group) const {
  for (const BoundGroup& b : bound_) {
    if (b.group == group) return b.definition;
  }
  return nullptr;
}

void LoadDefinitionsForGame(StructRegistry& registry, const std::string& game_folder) {
  registry.Clear();
  if (!game_folder.empty()) {
    std::string folder = game_folder;
    if (folder.back() != '/') folder += '/';
    registry.LoadDefinitionFiles(folder + "definitions");
  }
  const ProgramPaths& paths = TheProgramPaths();
  if (!paths.user_definitions.empty()) registry.LoadDefinitionFiles(paths.user_definitions);
  registry.LoadDefinitionFiles(paths.resources);
  registry.BuildRegistry();
}

}  // namespace brae
