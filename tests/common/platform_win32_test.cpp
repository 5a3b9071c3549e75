// What the running Win32 program learns of itself: its program file and its environment.

#include "common/platform_win32.h"

#include <gtest/gtest.h>

#include <string>

#include "common/platform.h"
#include "support/test_environment.h"

namespace droplet::testing {
namespace {

TEST(PlatformWin32, ProgramFileLiesInTheProgramFolder) {
  const std::string path = ProgramFilePath();
  const std::string folder = ProgramFolder();
  ASSERT_GT(path.size(), folder.size() + 1);
  EXPECT_EQ(path.substr(0, folder.size() + 1), folder + "\\");
  EXPECT_EQ(path.find('\\', folder.size() + 1), std::string::npos);
  EXPECT_TRUE(path.ends_with(".exe")) << path;
}

TEST(PlatformWin32, EnvironmentVariableGivesTheWholeValueInUtf8) {
  // Longer than any first guess of a buffer, and outside the ANSI code page.
  const std::string value = std::string(5000, 'x') + " città €";
  {
    const EnvironmentScope scope("DROPLET_TEST_VALUE", value);
    EXPECT_EQ(EnvironmentVariable("DROPLET_TEST_VALUE"), value);
    EXPECT_EQ(EnvironmentVariable("droplet_test_value"), value);  // names ignore case
  }
  const EnvironmentScope none("DROPLET_TEST_VALUE", std::nullopt);
  EXPECT_EQ(EnvironmentVariable("DROPLET_TEST_VALUE"), "");
}

}  // namespace
}  // namespace droplet::testing
