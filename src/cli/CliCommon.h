#pragma once
// The command table of brae-cli. Each subsystem contributes its commands from its own file.

#include <cstdint>
#include <string>
#include <vector>

#include "tagstore/FourCCText.h"

namespace brae::cli {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;             // arguments after the command name
  int (*run)(const Args& args);  // args exclude the program and command names
};

// Exit statuses: 0 success, 1 a batch command finished but some of its files failed, 2 bad
// arguments or unreadable input.
constexpr int kOk = 0;
constexpr int kSomeFailed = 1;
constexpr int kFail = 2;

// Prints "brae-cli: <message>" on standard error and returns kFail.
int Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A four-character code from its text (either form of FourCCText).
bool ParseCode(const std::string& text, uint32_t* code);
// Takes "--name value" out of args; false when the option is absent.
bool TakeOption(Args& args, const std::string& name, std::string* value);
// Takes a "--flag" out of args.
bool TakeFlag(Args& args, const std::string& name);

// A described value: a leaf ("key: value") or a group of children (an object or an array).
struct Node {
  std::string key;
  std::string value;
  bool is_number = false;
  bool is_array = false;
  std::vector<Node> children;

  Node& Add(const std::string& k, const std::string& v);
  Node& Add(const std::string& k, int64_t v);
  Node& AddGroup(const std::string& k, bool array = false);
};
std::string RenderText(const Node& node);
std::string RenderJson(const Node& node);

// Describes the data of one group's tags for "show": fills out, or returns false with an error.
struct TagDescriber {
  uint32_t group;
  bool (*describe)(const std::vector<uint8_t>& data, Node* out, std::string* error);
};

std::vector<Command> TagstoreCommands();
std::vector<TagDescriber> TagstoreDescribers();
std::vector<Command> TerrainCommands();
std::vector<TagDescriber> TerrainDescribers();
std::vector<Command> ModelCommands();
std::vector<Command> MediaCommands();
std::vector<TagDescriber> MediaDescribers();
std::vector<Command> CollectionCommands();
std::vector<TagDescriber> CollectionDescribers();
std::vector<Command> StructCommands();
std::vector<Command> BuildCommands();
std::vector<Command> ReferenceCommands();
std::vector<Command> RecoveryCommands();
std::vector<Command> CompareCommands();

// Reads the structure definitions of the program's res folder and of the loaded game folder's
// "definitions" folder (load the game first).
void LoadStructDefinitions();

// Every describer of every subsystem (collected in main.cpp).
const std::vector<TagDescriber>& AllDescribers();

}  // namespace brae::cli
