#pragma once
// Runs the real brae-cli binary and captures what it prints.

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace brae::test {

struct CliResult {
  int status = -1;
  std::string out;  // standard output, and standard error unless err holds it
  std::string err;  // standard error when RunCliSeparately ran the command
};

inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs a shell command line and captures its standard output.
inline CliResult RunCommand(const std::string& command) {
  CliResult r;
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

// stderr_to: a shell redirection of standard error; program: brae-cli itself unless a copy
// elsewhere.
inline CliResult RunCliRedirected(const std::string& args, const std::string& stderr_to,
                                  const std::string& program = "") {
  const std::string cli =
      program.empty() ? std::string(BRAE_BUILD_DIR) + "/bin/brae-cli" : ShellQuote(program);
  return RunCommand(cli + " " + args + " " + stderr_to);
}

inline CliResult RunCli(const std::string& args) {
  return RunCliRedirected(args, "2>&1");
}

// Runs brae-cli with standard error captured apart from standard output.
inline CliResult RunCliSeparately(const std::string& args) {
  char path[] = "/tmp/brae-cli-stderr-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0) return CliResult{};
  ::close(fd);
  CliResult r = RunCliRedirected(args, "2>" + ShellQuote(path));
  if (FILE* f = std::fopen(path, "rb")) {
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) r.err.append(buffer.data(), n);
    std::fclose(f);
  }
  std::remove(path);
  return r;
}

}  // namespace brae::test
