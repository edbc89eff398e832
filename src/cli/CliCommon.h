#pragma once
// The command table of brae-cli. Each subsystem contributes its commands from its own file.

#include <cstdint>
#include <string>
#include <vector>

namespace brae::cli {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;  // arguments after the command name
  int (*run)(const Args& args);  // args exclude the program and command names
};

// Exit statuses: 0 success, 2 bad arguments or unreadable input.
constexpr int kOk = 0;
constexpr int kFail = 2;

// Prints "brae-cli: <message>" on standard error and returns kFail.
int Fail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A four-character code from its text: exactly four characters, or 0x followed by 8 hex digits.
bool ParseCode(const std::string& text, uint32_t* code);
// Takes "--name value" out of args; false when the option is absent.
bool TakeOption(Args& args, const std::string& name, std::string* value);
// Takes a "--flag" out of args.
bool TakeFlag(Args& args, const std::string& name);

std::vector<Command> TagstoreCommands();

}  // namespace brae::cli
