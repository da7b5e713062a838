#include "core/TRunstat.h"

#include <gtest/gtest.h>

namespace {

TEST(TRunstatTest, DebugSwitchIsExactAndCaseSensitive) {
  EXPECT_TRUE(TRunstat::DebugSwitch({"prog", "x", "bhdebug=on"}));
  EXPECT_TRUE(TRunstat::DebugSwitch({"bhdebug=on"}));
  EXPECT_FALSE(TRunstat::DebugSwitch({"prog", "BHDEBUG=ON"}));
  EXPECT_FALSE(TRunstat::DebugSwitch({"prog", "bhdebug=on "}));
  EXPECT_FALSE(TRunstat::DebugSwitch({"prog", "-bhdebug=on"}));
}

TEST(TRunstatTest, ProgramPathDropsIdeOutputFolders) {
  struct Case {
    const char* folder;
    const char* expected;
  } cases[] = {
      {"C:\\QM\\Win32\\Debug\\", "C:\\QM\\"},
      {"C:\\QM\\Win32\\Release\\", "C:\\QM\\"},
      {"/opt/qm/Win32/Debug/", "/opt/qm/"},
      {"/opt/qm/", "/opt/qm/"},
  };
  for (const auto& c : cases) EXPECT_EQ(TRunstat::ProgramPath(c.folder), c.expected) << c.folder;
}

}  // namespace
