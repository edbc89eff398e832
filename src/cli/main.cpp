// brae-cli: the headless front end over Brae's libraries.
#include <cstdio>
#include <cstring>

#include "cli/CliCommon.h"

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
      TagstoreCommands(), TerrainCommands(),    ModelCommands(),
      MediaCommands(),    CollectionCommands(), StructCommands(),
      BuildCommands(),    ReferenceCommands(),  RecoveryCommands(),
  };
  for (auto& list : lists) {
    all.insert(all.end(), list.begin(), list.end());
  }
  return all;
}

void PrintUsage(const std::vector<brae::cli::Command>& commands) {
  std::fprintf(stderr, "usage: brae-cli COMMAND [ARGS...]\n\ncommands:\n");
  for (const auto& c : commands) std::fprintf(stderr, "  %s %s\n", c.name, c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  const auto commands = AllCommands();
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help")) {
    PrintUsage(commands);
    return argc < 2 ? brae::cli::kFail : brae::cli::kOk;
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
