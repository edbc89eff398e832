#include "cli/CliCommon.h"

#include <cstdarg>
#include <cstdio>

#include "tagstore/FourCCText.h"

namespace brae::cli {

int Fail(const char* format, ...) {
  std::fputs("brae-cli: ", stderr);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  return kFail;
}

bool ParseCode(const std::string& text, uint32_t* code) {
  return ParseFourCCText(text, code);
}

bool TakeOption(Args& args, const std::string& name, std::string* value) {
  for (size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == name) {
      *value = args[i + 1];
      args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
      return true;
    }
  }
  return false;
}

bool TakeFlag(Args& args, const std::string& name) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == name) {
      args.erase(args.begin() + long(i));
      return true;
    }
  }
  return false;
}

}  // namespace brae::cli
