// brae-cli: the headless front end over Brae's libraries.
#include <cstdio>
#include <cstring>

#include "cli/CliCommon.h"
#include "core/ProgramPaths.h"

namespace brae::cli {

const std::vector<TagDescriber>& AllDescribers() {
  static const std::vector<TagDescriber> all = [] {
    std::vector<TagDescriber> list;
    const std::vector<TagDescriber> parts[] = {
        TagstoreDescribers(),
        TerrainDescribers(),
        MediaDescribers(),
        CollectionDescribers(),
    };
    for (auto& part : parts) list.insert(list.end(), part.begin(), part.end());
    return list;
  }();
  return all;
}

}  // namespace brae::cli

namespace {

std::vector<brae::cli::Command> AllCommands() {
  std::vector<brae::cli::Command> all;
  using namespace brae::cli;
  const std::vector<Command> lists[] = {
      TagstoreCommands(),   TerrainCommands(), ModelCommands(), MediaCommands(),
      CollectionCommands(), StructCommands(),  BuildCommands(), ReferenceCommands(),
      RecoveryCommands(),   CompareCommands(),
  };
  for (auto& list : lists) {
    all.insert(all.end(), list.begin(), list.end());
  }
  return all;
}

void PrintUsage(std::FILE* out, const std::vector<brae::cli::Command>& commands) {
  std::fprintf(out,
               "usage: brae-cli COMMAND [ARGS...]\n"
               "Reads and writes the tags of a Vorn II game folder (GAMEDIR) without a window.\n"
               "\n"
               "Options:\n"
               "  --help     print this help and exit\n"
               "  --version  print the version and exit\n"
               "\n"
               "Commands:\n");
  // Two spaces after the name make each command an entry of its own in the manual page.
  for (const auto& c : commands) std::fprintf(out, "  %s  %s\n", c.name, c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  brae::SetProgramPaths(
      brae::FindProgramPaths(brae::ExecutableFolder(), brae::PathEnvironment::FromProcess()));
  const auto commands = AllCommands();
  if (argc < 2) {
    PrintUsage(stderr, commands);
    return brae::cli::kFail;
  }
  if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) {
    PrintUsage(stdout, commands);
    return brae::cli::kOk;
  }
  if (!std::strcmp(argv[1], "--version")) {
    std::printf("brae-cli %s\n", BRAE_VERSION);
    return brae::cli::kOk;
  }
  for (const auto& c : commands) {
    if (std::strcmp(c.name, argv[1]) == 0) {
      brae::cli::Args args(argv + 2, argv + argc);
      return c.run(args);
    }
  }
  brae::cli::Fail("unknown command '%s' (try brae-cli help)", argv[1]);
  return brae::cli::kFail;
}
