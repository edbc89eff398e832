#include "core/ProgramPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace brae {

namespace {

ProgramPaths& Paths() {
  static ProgramPaths paths;
  return paths;
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// An XDG base folder: the variable when it holds an absolute path, else HOME + fallback.
std::string XdgFolder(const std::string& variable, const std::string& home, const char* fallback) {
  if (!variable.empty() && variable[0] == '/') return WithSlash(variable);
  return WithSlash(home.empty() ? "/tmp" : home) + fallback;
}

}  // namespace

PathEnvironment PathEnvironment::FromProcess() {
  auto get = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value ? value : "");
  };
  return {get("HOME"), get("XDG_CONFIG_HOME"), get("XDG_DATA_HOME")};
}

std::string ExecutableFolder() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  const std::string p(path, size_t(n));
  return p.substr(0, p.find_last_of('/') + 1);
}

ProgramPaths FindProgramPaths(const std::string& program_folder, const PathEnvironment& env) {
  const std::string folder = WithSlash(program_folder);
  const std::string config = XdgFolder(env.xdg_config_home, env.home, ".config/") + "brae/";
  const std::string data = XdgFolder(env.xdg_data_home, env.home, ".local/share/") + "brae/";
  ProgramPaths paths;
  paths.user_definitions = data + "definitions/";
  const std::string beside = folder + "res/";
  if (IsFolder(beside)) {
    paths.resources = beside;
    // A portable copy keeps what it writes beside itself, when it may.
    paths.portable = ::access(beside.c_str(), W_OK) == 0;
  } else {
    paths.resources = std::filesystem::path(folder + "../share/brae/res/").lexically_normal();
    paths.portable = false;
  }
  if (paths.portable) {
    paths.data = paths.resources;
    paths.prefs_file = paths.resources + "prefs.txt";
    paths.charmap_file = folder + "charmap";
  } else {
    paths.data = data;
    paths.prefs_file = config + "prefs.txt";
    paths.charmap_file = data + "charmap";
  }
  return paths;
}

const ProgramPaths& TheProgramPaths() {
  return Paths();
}

void SetProgramPaths(const ProgramPaths& paths) {
  Paths() = paths;
}

std::string ResourceFile(const std::string& name) {
  return Paths().resources + name;
}

std::string ReadableDataFile(const std::string& name) {
  const std::string own = Paths().data + name;
  if (IsFile(own)) return own;
  const std::string shipped = Paths().resources + name;
  if (IsFile(shipped)) return shipped;
  return WritableDataFile(name);
}

std::string WritableDataFile(const std::string& name) {
  const std::string path = Paths().data + name;
  MakeParentFolders(path);
  return path;
}

bool MakeParentFolders(const std::string& file_path) {
  const size_t slash = file_path.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  const std::string folder = file_path.substr(0, slash);
  if (IsFolder(folder)) return true;
  if (!MakeParentFolders(folder)) return false;
  return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

}  // namespace brae
