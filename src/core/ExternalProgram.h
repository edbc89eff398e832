#pragma once
// Starting another program of the user's on files: a command line from the preferences, split
// into words the way a simple shell would (single and double quotes group words, nothing else is
// special), "%f" replaced by the file paths, and the program run without a shell, so that no
// file name can inject a command. The program runs on by itself: nothing waits for it, and it
// never stays behind as a zombie (it is the child of a short-lived intermediate process).

#include <string>
#include <vector>

namespace brae {

// Splits a command line into words. Quotes group characters into a word and are removed; an
// unterminated quote runs to the end. Empty quotes make an empty word.
std::vector<std::string> SplitCommandLine(const std::string& command);

// The program's arguments: every word "%f" becomes the paths (one word each); a word that only
// contains "%f" gets the first path in its place (other paths follow as words of their own).
// Without any "%f" the paths are appended.
std::vector<std::string> ExpandFileArguments(const std::vector<std::string>& words,
                                             const std::vector<std::string>& paths);

// Starts the program named by the command line on the paths and returns without waiting for it.
// False, with the reason in error, when the command is empty or the program cannot be started
// (not found, not executable).
bool StartProgram(const std::string& command, const std::vector<std::string>& paths,
                  std::string* error);

}  // namespace brae
