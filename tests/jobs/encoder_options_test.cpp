#include "jobs/encoder_options.h"

#include <gtest/gtest.h>

namespace clipvane {
namespace {

struct RateCase {
  double probed, maxfps;
  std::string text;
};

class OutputFrameRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(OutputFrameRateTest, LowersToTheCeilingAndWritesTheShortestDecimal) {
  EXPECT_EQ(OutputFrameRate(GetParam().probed, GetParam().maxfps), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, OutputFrameRateTest,
                         ::testing::Values(RateCase{29.97, 29.0, "29"}, RateCase{25.0, 25.0, "25"},
                                           RateCase{23.976, 29.0, "23.976"}, RateCase{23.976, 23.0, "23"},
                                           RateCase{29.97, 30.0, "29.97"}, RateCase{0.0, 25.0, "0"},
                                           RateCase{24000.0 / 1001.0, 29.0, "23.976023976024"},
                                           RateCase{12.5, 25.0, "12.5"}, RateCase{0.00001, 25.0, "0.00001"}));

EncodeSettings Presets(int videocodec, bool audiosync) {
  EncodeSettings settings;
  settings.videocodec = videocodec;
  settings.videobitrate = videocodec == 1 ? 900 : 500;
  settings.audiobitrate = videocodec == 1 ? 192 : 64;
  settings.maxfps = videocodec == 1 ? 29.0 : 23.0;
  settings.audiosync = audiosync;
  settings.subtitlefontsize = 5;
  return settings;
}

TEST(EncoderOptions, XvidCarriesItsFilterAndScaler) {
  MediaFacts facts;
  facts.frameRate = 29.97;
  const EncoderOptions o = BuildEncoderOptions(Presets(1, true), facts, "", "");
  EXPECT_EQ(o.video,
            "-ovc xvid -xvidencopts bitrate=900:max_bframes=0:nogmc:noqpel -xvidopts deblock-chroma "
            "-vf-add hqdn3d -sws 10");
  EXPECT_EQ(o.audio, "-oac faac -faacopts br=192:mpeg=4:object=2");
  EXPECT_EQ(o.sync, "-mc 0");
  EXPECT_EQ(o.audioFilter, "-af volnorm -srate 48000");
  EXPECT_EQ(o.frameRateOption, "-ofps 29");
  EXPECT_TRUE(o.subtitle.empty());
}

TEST(EncoderOptions, Mpeg4CarriesTheDivxTag) {
  MediaFacts facts;
  facts.frameRate = 23.976;
  const EncoderOptions o = BuildEncoderOptions(Presets(0, false), facts, "", "");
  EXPECT_EQ(o.video, "-ovc lavc -lavcopts vcodec=mpeg4 -lavcopts vbitrate=500 -ffourcc DIVX");
  EXPECT_EQ(o.audio, "-oac faac -faacopts br=64:mpeg=4:object=2");
  EXPECT_EQ(o.sync, "");
  EXPECT_EQ(o.frameRate, "23");
}

TEST(EncoderOptions, PlainSubtitleOptionsReadExactly) {
  const EncoderOptions o = BuildEncoderOptions(Presets(0, false), MediaFacts{},
                                               "C:\\WINDOWS\\Fonts\\gulim.ttc", "D:\\Conv\\temp\\qv1A2B.smi");
  EXPECT_EQ(RenderScript(ScriptDialect::kWindowsBatch, "", {ProgramStep("x", o.subtitle)}),
            "\"x\" -font \"C:\\WINDOWS\\Fonts\\gulim.ttc\" -sub \"D:\\Conv\\temp\\qv1A2B.smi\" -utf8  "
            "-subpos 95 -subfont-text-scale 5 -subfont-blur 2 -subfont-outline 2\r\n");
  EXPECT_EQ(o.frameRateOption, "-ofps 0");
}

}  // namespace
}  // namespace clipvane
