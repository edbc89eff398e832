#pragma once
// Where the program's own files are. Two layouts are known:
//   - portable: a "res" folder beside the executable (the build folder, a copied folder). When
//     it is writable, the preferences and every file written at run time stay in it.
//   - installed: the executable in PREFIX/bin and the read-only resources in
//     PREFIX/share/brae/res. The preferences go to $XDG_CONFIG_HOME/brae/ and files written at
//     run time to $XDG_DATA_HOME/brae/ (read from there first).
// Paths the user types are never rewritten: the program does not change its current folder.

#include <string>

namespace brae {

// The parts of the environment that decide the user's folders.
struct PathEnvironment {
  std::string home;             // $HOME
  std::string xdg_config_home;  // $XDG_CONFIG_HOME (empty: ~/.config)
  std::string xdg_data_home;    // $XDG_DATA_HOME (empty: ~/.local/share)
  static PathEnvironment FromProcess();
};

// Every folder ends in "/".
struct ProgramPaths {
  std::string resources = "res/";  // font, skin, splash picture, shipped definitions
  std::string data = "res/";       // files written at run time ("dtex.act")
  std::string prefs_file = "res/prefs.txt";
  std::string charmap_file = "charmap";  // the optional keyboard character map
  std::string user_definitions;          // the user's own structure definitions ("" for none)
  bool portable = true;
};

// The folder that holds the running executable (from /proc/self/exe), ending in "/"; "./"
// when it cannot be found.
std::string ExecutableFolder();

// The paths of a program whose executable lies in program_folder (ending in "/").
ProgramPaths FindProgramPaths(const std::string& program_folder, const PathEnvironment& env);

// The paths in force. Until set they are relative to the current folder ("res/...").
const ProgramPaths& TheProgramPaths();
void SetProgramPaths(const ProgramPaths& paths);

// A read-only resource file.
std::string ResourceFile(const std::string& name);
// A file the program writes at run time: the user's copy when there is one, else the shipped
// one, else where it will be written.
std::string ReadableDataFile(const std::string& name);
// Where such a file is written; its folder is created when missing.
std::string WritableDataFile(const std::string& name);

// Creates the folder that will hold a file (and its parents); false when that fails.
bool MakeParentFolders(const std::string& file_path);

}  // namespace brae
