#include "platform/shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

TEST(CompareTextIgnoringCase, SortsWithoutRegardToCase) {
  EXPECT_EQ(CompareTextIgnoringCase("Holiday.bat", "holiday.BAT"), 0);
  EXPECT_LT(CompareTextIgnoringCase("a.bat", "B.bat"), 0);
  EXPECT_GT(CompareTextIgnoringCase("C.bat", "b.bat"), 0);
  EXPECT_LT(CompareTextIgnoringCase("clip.bat", "clip2.bat"), 0);
}

#ifndef _WIN32
TEST(NativeShell, StartsAScriptThatOutlivesTheCall) {
  testing::TempFolder temp;
  const std::string marker = temp / "done";
  const std::string script = temp.WriteFile("job.sh", "sleep 0.2\necho ran > '" + marker + "'\n");
  NativeShell().OpenScript(script);
  EXPECT_FALSE(NativeFileSystem().Exists(marker)) << "the call must not wait for the script";
  for (int i = 0; i < 100 && !NativeFileSystem().Exists(marker); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(marker), "ran\n");
}
#endif

}  // namespace
}  // namespace clipvane
