#pragma once
// A folder to run the whole program from: res/ linked to the generated resources, a demo game
// and a preferences file naming it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "mkdemo/DemoGame.h"

namespace brae::test {

// A program folder with res/ (the generated resources), a demo game and a preferences file.
class ProgramFolder {
 public:
  explicit ProgramFolder(const std::string& prefs_text) {
    std::string res = dir.Path() + "/res";
    std::filesystem::create_directories(res);
    std::string built = std::string(BRAE_BUILD_DIR) + "/bin/res/";
    for (const char* name : {"plume.braefont", "texturepack", "brae.bmp"})
      std::filesystem::create_symlink(built + name, res + "/" + name);
    game = dir.Path() + "/game";
    EXPECT_TRUE(demo::MakeDemoGame().Write(game));
    WriteFile(res + "/prefs.txt", "VornPath \"" + game + "/\"\n" + prefs_text);
  }
  std::string Prefs() const { return ReadFile(dir.Path() + "/res/prefs.txt"); }
  TempDir dir;
  std::string game;
};

}  // namespace brae::test
