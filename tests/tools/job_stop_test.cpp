// A real Windows job, stopped in the middle of its encode: the program's batch job
// script under cmd.exe with the stand-ins built for Windows and the release's
// ffmpeg.exe. The job reports its progress, ends its FFmpeg children when asked,
// removes its intermediates, keeps the earlier MP4 and says it stopped. (On Linux the
// same is tried through the command line, in tests/cli.)
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/child_processes.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "runs/job_status.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

TEST(JobStop, AStoppedBatchJobEndsItsToolsRemovesItsIntermediatesAndKeepsTheEarlierMp4) {
  if (std::string(CLIPVANE_FFMPEG_DIR).empty())
    GTEST_SKIP() << "CLIPVANE_WINDOWS_DEPS was not given: there is no ffmpeg.exe to convert with";
  ToolAppDir app;
  TempFolder sources;
  // "긴 영상 100%.avi": a name that the batch line naming the status file must carry.
  const std::string video = sources / Utf8ToAnsi(u8"긴 영상 100%.avi");
  MakeVideo(video, "testsrc=size=640x480:rate=25:duration=120", "sine=frequency=440:duration=120",
            "-c:v mpeg4 -q:v 5 -c:a pcm_s16le");
  const JobBuild build = app.Build(video, PictureFacts(640, 480, 25), PresetSettings());
  FileSystem& files = NativeFileSystem();
  files.ReplaceWholeFile(build.output, "the earlier MP4");

  ChildProcesses script;
  ASSERT_TRUE(script.Start({"cmd.exe", "/d", "/c", AnsiToUtf8(build.script)}, {Discarded(), Discarded()}).has_value());
  // The encode says how far it is, how fast and how long it still needs.
  JobStatus seen;
  ASSERT_TRUE(Eventually([&] {
    seen = ReadJobStatus(files, build.status);
    return seen.state == JobState::kRunning && seen.percent > 0 && seen.fps > 0 && seen.seconds_left >= 0;
  })) << FormatJobStatus(seen);
  EXPECT_TRUE(RequestStop(files, build.status));
  script.WaitAll();

  EXPECT_EQ(ReadJobStatus(files, build.status).state, JobState::kStopped);
  EXPECT_FALSE(StopRequested(files, build.status));  // used up by the job's failure steps
  EXPECT_EQ(FilesLeftIn(FsPathOf(app.Work().Temp())), 0);
  EXPECT_EQ(files.FilesIn(app.Work().Incoming()), std::vector<std::string>{build.output});
  EXPECT_EQ(files.ReadWholeFile(build.output), "the earlier MP4");
  // Nothing of the job runs on: no tool, no FFmpeg.
  EXPECT_TRUE(Eventually([&] {
    for (const ProcessEntry& entry : NativeProcessList().Snapshot())
      if (entry.command_line && entry.command_line->find(AnsiToUtf8(app.Work().AppDir())) != std::string::npos)
        return false;
    return true;
  }));
}

}  // namespace
}  // namespace clipvane::testing
