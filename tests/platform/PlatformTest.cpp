#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Platform.h"

namespace brae {
namespace {

TEST(KeyTranslation, PrintableKeysAreUpperCaseAscii) {
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_A), 'A');
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_Z), 'Z');
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_0), '0');
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_SPACE), ' ');
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_GRAVE_ACCENT), '`');
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_SLASH), '/');
}

TEST(KeyTranslation, SpecialKeysUseTheToolkitNumbering) {
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_ESCAPE), 97);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_F1), 98);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_F15), 112);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_TAB), 113);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_LEFT_SHIFT), 115);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_RIGHT_SHIFT), 116);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_LEFT_CONTROL), 118);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_RIGHT_ALT), 125);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_BACKSPACE), 127);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_ENTER), 128);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_KP_ENTER), 144);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_DELETE), 134);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_UP), 135);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_RIGHT), 138);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_KP_DIVIDE), 140);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_KP_DECIMAL), 145);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_KP_0), 146);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_KP_9), 155);
}

TEST(KeyTranslation, KeysWithoutACodeAreDropped) {
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_CAPS_LOCK), -1);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_LEFT_SUPER), -1);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_KP_EQUAL), -1);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_F16), -1);
  EXPECT_EQ(platform::TranslateGlfwKey(GLFW_KEY_UNKNOWN), -1);
}

TEST(ProgramFolder, IsTheFolderOfTheRunningExecutable) {
  std::string folder = platform::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(folder + "platform_tests"));
  ASSERT_TRUE(platform::ChangeToProgramFolder());
  EXPECT_EQ(std::filesystem::current_path().string() + "/", folder);
}

TEST(WithoutAWindow, CursorAndBeepAreRememberedOnly) {
  int beeps = platform::BeepCount();
  platform::Beep();
  EXPECT_EQ(platform::BeepCount(), beeps + 1);
  platform::SetCursorShape(5);
  EXPECT_EQ(platform::CurrentCursorShape(), 5);
  platform::SetCursorShape(99);  // unknown shapes fall back to the arrow
  EXPECT_EQ(platform::CurrentCursorShape(), 0);
  double a = platform::Now();
  platform::Sleep(0.002);
  EXPECT_GE(platform::Now() - a, 0.0015);
}

TEST(WithAWindow, EveryCursorShapeCanBeMade) {
  if (!std::getenv("DISPLAY") || !glfwInit()) GTEST_SKIP() << "no display";
  platform::WindowOptions options;
  options.width = 320;
  options.height = 240;
  ASSERT_TRUE(platform::OpenMainWindow(options));
  for (int shape = 0; shape < 14; ++shape) {
    platform::SetCursorShape(shape);
    EXPECT_EQ(platform::CurrentCursorShape(), shape);
  }
  int w = 0, h = 0;
  platform::FramebufferSize(&w, &h);
  EXPECT_EQ(w, 320);
  platform::SetProgramIcon();
  platform::Beep();
  platform::CloseMainWindow();
  glfwTerminate();
}

}  // namespace
}  // namespace brae
