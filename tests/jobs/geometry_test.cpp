#include "jobs/geometry.h"

#include <gtest/gtest.h>

#include "jobs/ratio_text.h"

namespace clipvane {

void PrintTo(const PictureSize& size, std::ostream* out) { *out << size.width << "x" << size.height; }

namespace {

MediaFacts Facts(int width, int height) {
  MediaFacts facts;
  facts.width = width;
  facts.height = height;
  facts.aspect = height ? static_cast<double>(width) / height : 0.0;
  return facts;
}

EncodeSettings Settings(int platform, int displaymode, bool keep43 = false) {
  EncodeSettings settings;
  settings.platform = platform;
  settings.displaymode = displaymode;
  settings.noresizefor43scale = keep43;
  settings.framewidth = platform == 0 ? (displaymode == 1 ? 640 : 480) : 320;
  settings.frameheight = platform == 0 ? 320 : 240;
  return settings;
}

TEST(RatioText, WritesTwoDecimalsRoundedToEven) {
  EXPECT_EQ(RatioText(4, 3), "1.33");
  EXPECT_EQ(RatioText(10, 1), "10.00");
  EXPECT_EQ(RatioText(640, 428), "1.50");
  EXPECT_EQ(RatioText(1, 8), "0.12");   // an exact tie goes to the even digit
  EXPECT_EQ(RatioText(3, 8), "0.38");
  EXPECT_EQ(RatioText(1920, 808), "2.38");
  EXPECT_TRUE(RatioGreaterByValue("10.00", "9.99"));
  EXPECT_FALSE(RatioGreaterByValue("1.50", "1.50"));
}

struct GeometryCase {
  int width, height, platform, displaymode;
  bool keep43;
  bool rotate;
  PictureSize crop, scale, expand;
};

class PlanGeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(PlanGeometryTest, FitsThePictureOntoTheFrame) {
  const GeometryCase& c = GetParam();
  const PictureGeometry g = PlanGeometry(Facts(c.width, c.height), Settings(c.platform, c.displaymode, c.keep43));
  const std::string label = std::to_string(c.width) + "x" + std::to_string(c.height) + " platform " +
                            std::to_string(c.platform) + " mode " + std::to_string(c.displaymode);
  EXPECT_EQ(g.rotate, c.rotate) << label;
  EXPECT_EQ(g.crop, c.crop) << label;
  EXPECT_EQ(g.scale, c.scale) << label;
  EXPECT_EQ(g.expand, c.expand) << label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PlanGeometryTest,
    ::testing::Values(
        GeometryCase{640, 480, 0, 0, false, false, {640, 480}, {427, 320}, {427, 320}},
        GeometryCase{640, 480, 0, 3, false, false, {640, 428}, {480, 320}, {480, 320}},
        GeometryCase{640, 480, 0, 3, true, false, {640, 480}, {427, 320}, {427, 320}},
        GeometryCase{640, 480, 0, 2, false, false, {640, 480}, {480, 320}, {480, 320}},
        GeometryCase{720, 480, 0, 3, false, false, {720, 480}, {480, 320}, {480, 320}},
        GeometryCase{1280, 720, 0, 0, false, false, {1280, 720}, {480, 270}, {480, 270}},
        GeometryCase{1280, 720, 0, 3, false, false, {1083, 720}, {480, 320}, {480, 320}},
        GeometryCase{640, 272, 0, 0, false, false, {640, 272}, {480, 204}, {480, 204}},
        GeometryCase{640, 272, 0, 3, false, false, {409, 272}, {480, 320}, {480, 320}},
        GeometryCase{352, 288, 0, 0, false, false, {352, 288}, {391, 320}, {391, 320}},
        GeometryCase{720, 480, 0, 1, false, false, {720, 480}, {481, 320}, {481, 320}},
        GeometryCase{1920, 1080, 0, 1, false, false, {1920, 1080}, {571, 320}, {571, 320}},
        GeometryCase{720, 304, 0, 1, false, false, {720, 304}, {640, 270}, {640, 270}},
        GeometryCase{480, 640, 0, 0, false, true, {480, 640}, {320, 427}, {320, 427}},
        GeometryCase{480, 640, 0, 3, false, true, {428, 640}, {320, 480}, {320, 480}},
        GeometryCase{1280, 720, 1, 0, false, false, {1280, 720}, {320, 180}, {320, 240}},
        GeometryCase{720, 480, 1, 3, false, false, {640, 480}, {320, 240}, {320, 240}},
        GeometryCase{352, 288, 1, 0, false, false, {352, 288}, {293, 240}, {320, 240}},
        GeometryCase{480, 640, 1, 0, false, true, {480, 640}, {240, 320}, {320, 240}},
        // a portrait 3:4 picture is not of the 4:3 class, so it is filled and turned
        GeometryCase{480, 640, 0, 3, true, true, {428, 640}, {320, 480}, {320, 480}},
        // a square is not turned; 321/320 already writes 1.00, so the search stops there
        GeometryCase{500, 500, 0, 0, false, false, {500, 500}, {321, 320}, {321, 320}}));

struct MetricsCase {
  int width, height, displaymode;
  int marginV, fontSize;
};

class SubtitleMetricsTest : public ::testing::TestWithParam<MetricsCase> {};

TEST_P(SubtitleMetricsTest, SizesColouredSubtitlesForTheSourcePicture) {
  const MetricsCase& c = GetParam();
  const MediaFacts facts = Facts(c.width, c.height);
  const SsaStyleMetrics m = SubtitleMetrics(PlanGeometry(facts, Settings(0, c.displaymode)), facts, 16);
  EXPECT_EQ(m.marginV, c.marginV) << c.width << "x" << c.height;
  EXPECT_EQ(m.fontSize, c.fontSize) << c.width << "x" << c.height;
}

INSTANTIATE_TEST_SUITE_P(Table, SubtitleMetricsTest,
                         ::testing::Values(MetricsCase{1280, 720, 0, 20, 47},
                                           MetricsCase{1280, 720, 3, 20, 40},
                                           MetricsCase{640, 480, 3, 42, 21},
                                           MetricsCase{640, 480, 0, 20, 24},
                                           MetricsCase{1920, 808, 0, 20, 77},
                                           MetricsCase{720, 480, 3, 20, 24}));

}  // namespace
}  // namespace clipvane
