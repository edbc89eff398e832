// The archive browser on a 100,000-tag installation: the full rebuild of the tag tree and the
// filter field narrowing it as the user types.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "LargeInstallation.h"
#include "core/Prefs.h"
#include "editing/browser/ArchiveBrowserModel.h"
#include "tagstore/TagGroups.h"

namespace brae {
namespace {

const std::string& Installation() {
  static const std::string root = [] {
    bench::GiveEveryGroupAnEditor();
    return bench::WriteLargeInstallation("brae-bench-browser");
  }();
  return root;
}

struct NoUi : BrowserUi {
  void OpenTag(TagRecord*) override {}
  void BringInfoToFront(const void*) override {}
  void OpenTagInfo(TagRecord*) override {}
  bool AskText(const std::string&, std::string*) override { return false; }
  bool AskQuestion(const std::string&, const std::string&, const std::string&,
                   const std::string&) override {
    return false;
  }
  void ShowMessage(const std::string&, const std::string&) override {}
  bool ChooseFolder(const std::string&, std::string*) override { return false; }
};

struct Browser {
  Codex codex;
  Prefs prefs;
  NoUi ui;
  std::unique_ptr<ArchiveBrowserModel> model;
  Browser() {
    codex.LoadCodex(Installation());
    model = std::make_unique<ArchiveBrowserModel>(codex, prefs, ui);
    model->Start();
  }
};

void BM_RebuildTagTree(benchmark::State& state) {
  Browser browser;
  for (auto _ : state) {
    browser.model->RebuildTagTree();
    benchmark::DoNotOptimize(browser.model->VisibleGroups().size());
  }
  state.counters["tags"] = double(browser.model->ItemCount());
}
BENCHMARK(BM_RebuildTagTree)->Unit(benchmark::kMillisecond);

// One keystroke: the filter changes and the visible tree is worked out again.
void BM_FilterKeystroke(benchmark::State& state) {
  Browser browser;
  const char* texts[] = {"tag 3", "tag 37", "tag 37.1", "37.12", "TAG"};
  size_t i = 0;
  for (auto _ : state) {
    browser.model->SetFilter(texts[i++ % 5]);
    benchmark::DoNotOptimize(browser.model->VisibleGroups().size());
  }
}
BENCHMARK(BM_FilterKeystroke)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brae
