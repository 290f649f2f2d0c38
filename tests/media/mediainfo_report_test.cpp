#include "media/mediainfo_report.h"

#include <gtest/gtest.h>

namespace clipvane {
namespace {

// A report as MediaInfo writes it for an MP4 file with AAC sound: the audio section
// carries a packet rate on a "Frame rate" line of its own.
const char kMp4Report[] =
    "General\n"
    "Complete name                            : /videos/Holiday.mp4\n"
    "Format                                   : MPEG-4\n"
    "Frame rate                               : 23.976 FPS\n"
    "\n"
    "Video\n"
    "ID                                       : 1\n"
    "Format                                   : MPEG-4 Visual\n"
    "Width                                    : 640 pixels\n"
    "Height                                   : 352 pixels\n"
    "Display aspect ratio                     : 16:9\n"
    "Frame rate mode                          : Constant\n"
    "Frame rate                               : 23.976 (24000/1001) FPS\n"
    "\n"
    "Audio\n"
    "ID                                       : 2\n"
    "Format                                   : AAC LC\n"
    "Sampling rate                            : 44.1 kHz\n"
    "Frame rate                               : 43.066 FPS (1024 SPF)\n"
    "\n";

TEST(MediaInfoReport, TakesThePictureFromTheFirstVideoSectionNotTheAudioPacketRate) {
  const MediaFacts facts = ParseMediaInfoReport(kMp4Report);
  EXPECT_EQ(facts.width, 640);
  EXPECT_EQ(facts.height, 352);
  EXPECT_DOUBLE_EQ(facts.frameRate, 23.976);
  EXPECT_DOUBLE_EQ(facts.aspect, 640.0 / 352.0);
}

TEST(MediaInfoReport, KeepsTheWholeReportLowerCasedWithCrLfAfterEveryLine) {
  std::string long_report = "General\r\nComplete name : C:\\Clips\\A.AVI\rVideo\nWidth : 320 pixels";
  for (int i = 0; i < 400; ++i) long_report += "\r\nOther : line number " + std::to_string(i);
  const MediaFacts facts = ParseMediaInfoReport(long_report);
  ASSERT_GT(facts.report.size(), 4099u);  // nothing is cut at the old field's size
  const std::string head =
      "general\r\ncomplete name : c:\\clips\\a.avi\r\nvideo\r\nwidth : 320 pixels\r\n";
  EXPECT_EQ(facts.report.substr(0, head.size()), head);
  EXPECT_EQ(facts.report.substr(facts.report.size() - 25), "other : line number 399\r\n");
  EXPECT_EQ(ParseMediaInfoReport("A\n\nB\n").report, "a\r\n\r\nb\r\n");
  EXPECT_EQ(ParseMediaInfoReport("").report, "");
}

TEST(MediaInfoReport, OnlyTheFirstOfSeveralVideoSectionsCounts) {
  const MediaFacts facts = ParseMediaInfoReport(
      "General\nFormat : Matroska\n\nVideo #1\nWidth : 320 pixels\nHeight : 240 pixels\n"
      "Frame rate : 25.000 FPS\n\nVideo #2\nWidth : 1 920 pixels\nHeight : 1 080 pixels\n"
      "Frame rate : 50.000 FPS\n");
  EXPECT_EQ(facts.width, 320);
  EXPECT_EQ(facts.height, 240);
  EXPECT_DOUBLE_EQ(facts.frameRate, 25.0);
}

TEST(MediaInfoReport, WithoutAVideoSectionTheWholeReportIsReadAndTheLastLineWins) {
  const MediaFacts facts = ParseMediaInfoReport(
      "General\nFrame rate : 30.000 FPS\nWidth : 100 pixels\n\nAudio\n"
      "Frame rate : 43.066 FPS (1024 SPF)\nHeight : 50 pixels\n");
  EXPECT_EQ(facts.width, 100);
  EXPECT_EQ(facts.height, 50);
  EXPECT_DOUBLE_EQ(facts.frameRate, 43.066);
  EXPECT_DOUBLE_EQ(facts.aspect, 2.0);
}

TEST(MediaInfoReport, AFailedProbeLeavesEveryFactAtZero) {
  for (const char* report : {"", "General\nFormat : Unknown\nFile size : 12 bytes\n",
                             "Video\nWidth : 320 pixels\n"}) {
    const MediaFacts facts = ParseMediaInfoReport(report);
    EXPECT_EQ(facts.height, 0) << report;
    EXPECT_EQ(facts.aspect, 0.0) << report;  // set only with a height
  }
}

// One line inside a Video section, and what it sets.
struct LineCase {
  std::string line;
  int width;
  int height;
  double frame_rate;
};

class ReportLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ReportLineTest, CutsTheValueAsAlways) {
  const MediaFacts facts = ParseMediaInfoReport("Video\n" + GetParam().line + "\n");
  EXPECT_EQ(facts.width, GetParam().width) << GetParam().line;
  EXPECT_EQ(facts.height, GetParam().height) << GetParam().line;
  EXPECT_DOUBLE_EQ(facts.frameRate, GetParam().frame_rate) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReportLineTest,
    ::testing::Values(
        LineCase{"Width : 720 pixels", 720, 0, 0},
        LineCase{"Frame rate : 29.970 FPS", 0, 0, 29.97},
        LineCase{"Frame rate mode : Constant", 0, 0, 0},     // one word, no blank: no value
        LineCase{"Height : 480", 0, 0, 0},                   // no unit, no blank: no value
        LineCase{"Width : 1 280 pixels", 1280, 0, 0},        // digits grouped by a blank
        LineCase{"Width : 1 280", 1, 0, 0},                  // the last group needs its unit
        LineCase{"Width : 1 x80 pixels", 1, 0, 0},
        LineCase{"Width and height : 640 pixels", 0, 640, 0},  // height is tested first
        LineCase{"Original frame rate : 25.000 FPS", 0, 0, 25.0},
        LineCase{"height 240 pixels", 0, 0, 0},              // no ":": "height" is the value
        LineCase{"Height : 240px wide", 0, 0, 0},            // unreadable number
        LineCase{"Width :   \t 352 pixels \t", 352, 0, 0},
        LineCase{"Frame rate : 12,5 FPS", 0, 0, 0},          // MediaInfo writes a "."
        LineCase{"Frame rate : 25 FPS : 50", 0, 0, 25.0},    // after the first ":" only
        LineCase{"Format : MPEG-4 Visual", 0, 0, 0}));

TEST(MediaInfoReport, TheValueIsCutWithin255CharactersAfterTheColon) {
  const std::string padding(250, ' ');
  EXPECT_EQ(ParseMediaInfoReport("Video\nHeight :" + padding + "480 pixels\n").height, 480);
  // The blank after the number falls beyond the 255 characters: no value.
  EXPECT_EQ(ParseMediaInfoReport("Video\nHeight :" + padding + "  480 pixels\n").height, 0);
}

}  // namespace
}  // namespace clipvane
