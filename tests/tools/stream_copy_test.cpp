// The splits that the encoder stand-in does without starting FFmpeg: their results
// must be what FFmpeg's stream copies give, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tool_runs.h"

namespace clipvane::testing {
namespace {

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Ffmpeg(const std::string& options) {
  std::vector<std::string> argv{FfmpegProgram(), "-v", "error", "-nostdin", "-y"};
  for (const std::string& word : Words(options)) argv.push_back(word);
  const ProgramRun run = RunProgram(argv);
  ASSERT_EQ(run.status, 0) << options << "\n" << run.errors;
}

// Sources made once for all cases.
class Sources {
 public:
  static const Sources& Get() {
    static const Sources sources;
    return sources;
  }
  std::string operator/(const std::string& name) const { return folder_ / name; }

 private:
  Sources() {
    const std::string picture = "testsrc2=size=320x240:rate=25:duration=2";
    const std::string tone = "sine=frequency=440:sample_rate=44100:duration=2";
    MakeVideo(folder_ / "divx.avi", picture, tone, "-c:v mpeg4 -bf 0 -vtag DIVX -c:a aac -ar 48000 -f avi");
    MakeVideo(folder_ / "xvid.avi", "testsrc2=size=320x240:rate=24000/1001:duration=2", tone,
              "-c:v libxvid -bf 0 -c:a aac -ac 1 -f avi");
    // Every fifth frame left out: the AVI keeps a place for each with an empty chunk.
    MakeVideo(folder_ / "gaps.avi", picture + ",select='not(eq(mod(n\\,5)\\,2))'", tone,
              "-fps_mode passthrough -c:v mpeg4 -c:a aac -f avi");
    MakeVideo(folder_ / "clip.mp4", picture, tone, "-c:v mpeg4 -c:a aac");
  }
  TempFolder folder_;
};

struct SplitCase {
  std::string label, source;
  bool video;
  friend void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.label; }
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, WritesWhatFfmpegsStreamCopyWrites) {
  const SplitCase& c = GetParam();
  TempFolder folder;
  ToolAppDir app;
  const std::string source = Sources::Get() / c.source;
  const std::string ours = folder / "ours", theirs = folder / "theirs";
  const std::string split = c.video ? "-ovc copy -nosound -of rawvideo" : "-ovc frameno -oac copy -of rawaudio";
  std::vector<std::string> argv{app.Bin("mencoder")};
  for (const std::string& word : Words(split + " -o")) argv.push_back(word);
  argv.insert(argv.end(), {ours, source});
  const ProgramRun run = RunProgram(argv);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.output.find("(100%)"), std::string::npos) << run.output;
  Ffmpeg("-i " + source + (c.video ? " -map 0:v:0 -c copy -f m4v " : " -map 0:a:0 -c copy -f adts ") + theirs);
  const std::string expected = Bytes(theirs);
  EXPECT_GT(expected.size(), 1000u);
  EXPECT_TRUE(Bytes(ours) == expected) << Bytes(ours).size() << " bytes against " << expected.size();
}

INSTANTIATE_TEST_SUITE_P(Table, SplitTest,
                         ::testing::Values(SplitCase{"DivxPicture", "divx.avi", true},
                                           SplitCase{"AacSound", "divx.avi", false},
                                           SplitCase{"XvidPicture", "xvid.avi", true},
                                           SplitCase{"MonoSound", "xvid.avi", false},
                                           SplitCase{"PictureWithEmptyChunks", "gaps.avi", true},
                                           // Not an AVI: FFmpeg splits it as before.
                                           SplitCase{"PictureOfAnMp4", "clip.mp4", true},
                                           SplitCase{"SoundOfAnMp4", "clip.mp4", false}),
                         [](const auto& test_info) { return test_info.param.label; });

}  // namespace
}  // namespace clipvane::testing
