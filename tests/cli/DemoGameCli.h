#pragma once
// Command-line tests over a freshly written demo game folder.
#include <gtest/gtest.h>

#include <string>

#include "CliTest.h"
#include "TempDir.h"
#include "mkdemo/DemoGame.h"

namespace brae::test {

class DemoGameCli : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(MakeGame().Write(dir_.Path())); }
  // The game the tests run on; the plain demo game unless a fixture needs another.
  virtual demo::DemoGame MakeGame() const { return demo::MakeDemoGame(); }
  // The game folder, quoted for the command line.
  std::string Game() const { return ShellQuote(dir_.Path()); }

  TempDir dir_;
};

}  // namespace brae::test
