#pragma once
// Runs the real brae-cli binary and captures what it prints.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace brae::test {

struct CliResult {
  int status = -1;
  std::string out;  // standard output and standard error
};

inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline CliResult RunCli(const std::string& args) {
  CliResult r;
  const std::string command = std::string(BRAE_BUILD_DIR) + "/bin/brae-cli " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    r.out.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace brae::test
