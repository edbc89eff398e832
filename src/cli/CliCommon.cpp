#include "cli/CliCommon.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "tagstore/FourCC.h"

namespace brae::cli {

std::string ProgramFolder() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string p(path, size_t(n));
  return p.substr(0, p.find_last_of('/') + 1);
}

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
