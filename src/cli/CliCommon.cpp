#include "cli/CliCommon.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>


#include "tagstore/FourCC.h"

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
  if (text.size() == 4) {
    *code = MakeFourCC(text[0], text[1], text[2], text[3]);
    return true;
  }
  if (text.size() == 10 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    char* end = nullptr;
    unsigned long v = std::strtoul(text.c_str() + 2, &end, 16);
    if (end && *end == 0) {
      *code = static_cast<uint32_t>(v);
      return true;
    }
  }
  return false;
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
