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

TEST(EncoderOptions, XvidCarriesItsFilterAndScaler) {
  EncodeSettings settings;
  settings.videocodec = 1;
  settings.videobitrate = 900;
  settings.audiobitrate = 192;
  settings.maxfps = 29.0;
  settings.audiosync = true;
  MediaFacts facts;
  facts.frameRate = 29.97;
  const EncoderOptions o = BuildEncoderOptions(settings, facts, "", "");
  EXPECT_EQ(o.video,
            "-ovc xvid -xvidencopts bitrate=900:max_bframes=0:nogmc:noqpel -xvidopts deblock-chroma "
            "-vf-add hqdn3d -sws 10");
  EXPECT_EQ(o.audio, "-oac faac -faacopts br=192:mpeg=4:object=2");
  EXPECT_EQ(o.sync, "-mc 0");
  EXPECT_EQ(o.audioFilter, "-af volnorm -srate 48000");
  EXPECT_EQ(o.frameRateOption, "-ofps 29");
  EXPECT_TRUE(o.subtitle.empty());
}

}  // namespace
}  // namespace clipvane
