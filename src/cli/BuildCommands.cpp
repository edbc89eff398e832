// brae-cli's collection builders: build-collection and build-highres run the same code as the
// program's "Build Standard Collection" and "Build High-Res Collection", print the build's log
// lines and a progress line on standard output, and exit 2 on a refusal (nothing written) or 1
// when the build failed.
#include <cstdio>

#include "cli/CliCommon.h"
#include "collection/CollectionBuilder.h"
#include "collection/CollectionFormat.h"
#include "collection/HighResBuilder.h"
#include "tagstore/Codex.h"
#include "tagstore/FileSystem.h"

namespace brae::cli {

namespace {

// Takes "--name A B" (two values) out of args.
bool TakePair(Args& args, const std::string& name, std::string* a, std::string* b) {
  for (size_t i = 0; i + 2 < args.size(); ++i) {
    if (args[i] != name) continue;
    *a = args[i + 1];
    *b = args[i + 2];
    args.erase(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i + 3));
    return true;
  }
  return false;
}

void PrintLog(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

// A progress line at every tenth of the images (and the last one).
BuildProgressSink ProgressLines() {
  return [last = -1](const BuildProgress& p) mutable {
    const int step = p.total > 0 ? p.done * 10 / p.total : 10;
    if (step == last && p.done != p.total) return;
    last = step;
    std::printf("progress: %d/%d images\n", p.done, p.total);
    std::fflush(stdout);
  };
}

// The question about a tag in the way: answered by --overwrite.
Question OverwriteAnswer(bool overwrite) {
  return [overwrite](const std::string& text) {
    std::printf("%s\n%s\n", text.c_str(),
                overwrite ? kOverwriteButton : "Don't Overwrite (pass --overwrite to replace it)");
    return overwrite;
  };
}

int Finish(BuildOutcome outcome, const std::string& message, TagRecord* record) {
  if (!message.empty()) std::fprintf(stderr, "brae-cli: %s\n", message.c_str());
  switch (outcome) {
    case BuildOutcome::kBuilt: {
      TagHeader header;
      TheCodex().GetEffectiveHeader(record, &header);
      std::printf("wrote '%s' (%s) into the local folder\n", header.Name().c_str(),
                  FourCCText(record->subgroup).c_str());
      return kOk;
    }
    case BuildOutcome::kRefused:
      return kFail;
    case BuildOutcome::kFailed:
      return kSomeFailed;
  }
  return kSomeFailed;
}

// ---- build-collection

int BuildCollection(const Args& in) {
  Args args = in;
  CollectionBuildFields fields;
  fields.invert_alphas = TakeFlag(args, "--invert-alphas");
  fields.frames_then_views = TakeFlag(args, "--frames-then-views");
  const bool overwrite = TakeFlag(args, "--overwrite");
  const bool have_name = TakeOption(args, "--name", &fields.name);
  const bool have_folder = TakeOption(args, "--folder", &fields.folder);
  TakeOption(args, "--tagid", &fields.tagid);
  const bool have_reg = TakePair(args, "--reg", &fields.reg_x, &fields.reg_y);
  if (args.size() != 1 || !have_name || !have_folder || !have_reg)
    return Fail(
        "expected GAMEDIR --name N --folder F [--tagid T] --reg X Y [--invert-alphas] "
        "[--frames-then-views] [--overwrite]");
  if (fields.tagid.size() > 4) return Fail("bad tagid '%s'", fields.tagid.c_str());
  CollectionBuildSettings settings;
  if (auto message = CheckCollectionBuildFields(fields, &settings))
    return Fail("%s", message->c_str());
  if (!FolderExists(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  TheCodex().LoadCodex(args[0]);
  std::printf(kBuildLogTitle, NextCollectionBuildNumber(), settings.name.c_str());
  std::printf("\n");
  CollectionBuildQuestions questions;
  questions.overwrite = OverwriteAnswer(overwrite);
  const CollectionBuildRun run =
      RunCollectionBuild(TheCodex(), settings, questions, PrintLog, ProgressLines());
  return Finish(run.outcome, run.message, run.record);
}

// ---- build-highres

int BuildHighRes(const Args& in) {
  Args args = in;
  HighResFields fields;
  fields.invert_alphas = TakeFlag(args, "--invert-alphas");
  fields.frames_then_views = TakeFlag(args, "--frames-then-views");
  fields.align_individually = TakeFlag(args, "--align-individually");
  const bool overwrite = TakeFlag(args, "--overwrite");
  std::string tagid;
  const bool have_collection = TakeOption(args, "--collection", &tagid);
  const bool have_folder = TakeOption(args, "--folder", &fields.folder);
  const bool have_scale = TakeOption(args, "--scale", &fields.target_scale);
  fields.tolerance = "0.05";
  fields.object_scale = "1";
  TakeOption(args, "--tolerance", &fields.tolerance);
  TakeOption(args, "--object-scale", &fields.object_scale);
  if (args.size() != 1 || !have_collection || !have_folder || !have_scale)
    return Fail(
        "expected GAMEDIR --collection TAGID --folder F --scale S [--tolerance W] "
        "[--object-scale O] [--invert-alphas] [--frames-then-views] "
        "[--align-individually] [--overwrite]");
  if (!FolderExists(args[0])) return Fail("cannot read the game folder '%s'", args[0].c_str());
  Codex& codex = TheCodex();
  codex.LoadCodex(args[0]);
  if (ParseCode(tagid, &fields.tagid)) {
    TagRecord* record = codex.FindTag(kCollectionGroup, fields.tagid);
    fields.has_collection = record && codex.HasEffectiveInstance(record);
  }
  HighResSettings settings;
  if (auto message = CheckHighResFields(fields, &settings)) return Fail("%s", message->c_str());
  TagHeader header;
  codex.GetEffectiveHeader(codex.FindTag(kCollectionGroup, settings.tagid), &header);
  std::printf(kUpResLogTitle, NextUpResNumber(), header.Name().c_str());
  std::printf("\n");
  const HighResRun run =
      RunHighResBuild(codex, settings, OverwriteAnswer(overwrite), PrintLog, ProgressLines());
  return Finish(run.outcome, run.message, run.record);
}

}  // namespace

std::vector<Command> BuildCommands() {
  return {
      {"build-collection",
       "GAMEDIR --name N --folder F [--tagid T] --reg X Y [--invert-alphas] "
       "[--frames-then-views] [--overwrite]",
       BuildCollection},
      {"build-highres",
       "GAMEDIR --collection TAGID --folder F --scale S [--tolerance W] [--object-scale O] "
       "[--invert-alphas] [--frames-then-views] [--align-individually] [--overwrite]",
       BuildHighRes},
  };
}

}  // namespace brae::cli
