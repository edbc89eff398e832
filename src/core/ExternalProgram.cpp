#include "core/ExternalProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brae {

std::vector<std::string> SplitCommandLine(const std::string& command) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  char quote = 0;
  for (char c : command) {
    if (quote) {
      if (c == quote) {
        quote = 0;
      } else {
        word += c;
      }
    } else if (c == '\'' || c == '"') {
      quote = c;
      in_word = true;
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::vector<std::string> ExpandFileArguments(const std::vector<std::string>& words,
                                             const std::vector<std::string>& paths) {
  std::vector<std::string> out;
  bool placed = false;
  for (const std::string& word : words) {
    const size_t at = word.find("%f");
    if (at == std::string::npos) {
      out.push_back(word);
      continue;
    }
    placed = true;
    if (word == "%f") {
      out.insert(out.end(), paths.begin(), paths.end());
      continue;
    }
    // "--file=%f": the first path takes the place, the others follow on their own.
    out.push_back(word.substr(0, at) + (paths.empty() ? "" : paths[0]) + word.substr(at + 2));
    if (paths.size() > 1) out.insert(out.end(), paths.begin() + 1, paths.end());
  }
  if (!placed) out.insert(out.end(), paths.begin(), paths.end());
  return out;
}

namespace {

// Writes errno of a failed exec to the pipe and leaves (in a forked child only).
[[noreturn]] void ReportAndExit(int fd) {
  const int error = errno;
  ssize_t ignored = ::write(fd, &error, sizeof error);
  (void)ignored;
  _exit(127);
}

}  // namespace

bool StartProgram(const std::string& command, const std::vector<std::string>& paths,
                  std::string* error) {
  const std::vector<std::string> words = SplitCommandLine(command);
  if (words.empty()) {
    *error = "no program is named";
    return false;
  }
  const std::vector<std::string> args = ExpandFileArguments(words, paths);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  // The pipe closes by itself when the program starts (close-on-exec); a failed exec sends its
  // errno through it first.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  const pid_t middle = ::fork();
  if (middle < 0) {
    *error = std::strerror(errno);
    ::close(fds[0]);
    ::close(fds[1]);
    return false;
  }
  if (middle == 0) {
    // The intermediate process starts the program and leaves at once, so that the program is
    // adopted by the system and reaped there.
    ::close(fds[0]);
    ::setsid();
    const pid_t program = ::fork();
    if (program < 0) ReportAndExit(fds[1]);
    if (program == 0) {
      ::execvp(argv[0], argv.data());
      ReportAndExit(fds[1]);
    }
    _exit(0);
  }
  ::close(fds[1]);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  int child_error = 0;
  ssize_t n;
  do {
    n = ::read(fds[0], &child_error, sizeof child_error);
  } while (n < 0 && errno == EINTR);
  ::close(fds[0]);
  if (n == ssize_t(sizeof child_error)) {
    *error = std::strerror(child_error);
    return false;
  }
  return true;
}

}  // namespace brae
