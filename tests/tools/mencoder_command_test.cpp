// The encoder the stand-in picks for the Xvid route.
#include "mencoder_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "mencoder_inputs.h"

namespace clipvane::tools {
namespace {

TEST(XvidEncoder, FallsBackToFFmpegsOwnMpeg4AtAnOddSizeOrWithoutXvidAndSaysSo) {
  for (const auto& [width, has_xvid, encoder] : {std::tuple{480, true, "libxvid"}, {427, true, "mpeg4"}, {480, false, "mpeg4"}}) {
    const ParsedRequest parsed = ParseMencoderCommandLine(
        {"in.avi", "-oac", "faac", "-ovc", "xvid", "-vf-add", "scale=" + std::to_string(width) + ":320", "-o", "out.avi"});
    ASSERT_EQ(parsed.error, "");
    PreparedInputs inputs;
    inputs.media = "in.avi";
    inputs.has_xvid = has_xvid;
    const FfmpegCommand command = BuildFfmpegCommand(parsed.request, inputs);
    // The children's arguments in start order: the picture's encoder comes first.
    std::vector<std::string> argv;
    for (const auto& child : command.children) argv.insert(argv.end(), child.begin(), child.end());
    const auto codec = std::find(argv.begin(), argv.end(), "-c:v");
    ASSERT_NE(codec, argv.end());
    EXPECT_EQ(*(codec + 1), encoder) << width << has_xvid;
    // Either way the stream is tagged as Xvid, and a fallback is said in the log.
    EXPECT_NE(std::find(argv.begin(), argv.end(), "XVID"), argv.end());
    EXPECT_EQ(command.notes.size(), std::string(encoder) == "mpeg4" ? 1u : 0u);
  }
}

TEST(HasEncoder, FindsAnEncoderByItsName) {
  EXPECT_TRUE(HasEncoder("ffmpeg", "mpeg4"));
  EXPECT_FALSE(HasEncoder("ffmpeg", "no_such_encoder"));
  EXPECT_FALSE(HasEncoder("clipvane-no-such-ffmpeg", "mpeg4"));
}

}  // namespace
}  // namespace clipvane::tools
