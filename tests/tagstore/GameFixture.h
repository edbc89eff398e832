#pragma once
// A temporary game folder built with the demo writer, and a Codex loaded on it.

#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "core/MessageLog.h"
#include "mkdemo/DemoGame.h"
#include "tagstore/Codex.h"

namespace brae::test {

inline demo::DemoTag Tag(const char (&group)[5], const char (&id)[5], const std::string& name,
                         const std::string& body = "data", uint16_t version = 1) {
  demo::DemoTag t;
  t.group = demo::Code(group);
  t.subgroup = demo::Code(id);
  t.name = name;
  t.data.assign(body.begin(), body.end());
  t.version = version;
  return t;
}

// Records every Codex event as "event group tag" (or "event archive-name").
struct EventLog {
  std::vector<std::string> events;
  static void Listener(void* context, ArchiveRecord* archive, TagRecord* record, int event) {
    auto* self = static_cast<EventLog*>(context);
    std::string text = std::to_string(event);
    if (record)
      text += " " + FourCCToString(record->group) + " " + FourCCToString(record->subgroup);
    if (archive) text += " " + archive->file_name;
    self->events.push_back(text);
  }
};

class GameFixture : public ::testing::Test {
 protected:
  std::string Root() const { return dir_.Path() + "/"; }
  std::string Local(const std::string& group_folder, const std::string& file) const {
    return Root() + "local/" + group_folder + "/" + file;
  }
  void Write() { ASSERT_TRUE(game_.Write(dir_.Path())); }
  void Load() {
    Write();
    codex_.LoadCodex(dir_.Path());
  }
  void Listen() { codex_.SetCodexListener(&EventLog::Listener, &log_, true); }
  TagRecord* Find(const char (&group)[5], const char (&id)[5]) {
    return codex_.FindTag(FourCC(group), FourCC(id));
  }
  std::string EffectiveName(TagRecord* r) {
    TagHeader h;
    codex_.GetEffectiveHeader(r, &h);
    return h.Name();
  }
  std::string ReadData(TagRecord* r) {
    TagHeader h;
    FileStream* s = codex_.BeginTagRead(r, &h);
    if (!s) return "<unreadable>";
    std::string data(h.size, '\0');
    bool ok = data.empty() || s->Read(data.data(), data.size());
    codex_.EndTagRead(r);
    return ok ? data : "<short>";
  }
  std::string CodexLog() const { return TheMessageLog().Text("Codex"); }

  TempDir dir_;
  demo::DemoGame game_;
  Codex codex_;
  EventLog log_;
};

}  // namespace brae::test
