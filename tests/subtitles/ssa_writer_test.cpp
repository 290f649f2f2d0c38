#include "subtitles/ssa_writer.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/text_encoding.h"
#include "settings/encode_settings.h"
#include "subtitles/colour_table.h"
#include "subtitles/sami_to_ssa.h"
#include "subtitles/sami_text.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

using Lines = std::vector<std::string>;

constexpr std::size_t kHeaderLines = 22;

std::string DataFile(const std::string& name) {
  std::string path = std::string(CLIPVANE_SUBTITLE_TEST_DATA) + name;
#ifdef _WIN32
  for (char& c : path)
    if (c == '/') c = '\\';  // the Windows path style splits at backslashes only
#endif
  return path;
}

SsaStyle TestStyle() {
  SsaStyle style;
  style.fontName = "Nanum Gothic";
  style.fontSize = 18;
  style.marginV = 24;
  style.playResY = 240;
  return style;
}

// The Dialogue lines that a SAMI text gives.
Lines Dialogues(const std::string& sami) {
  const ColourTable colours;
  const Lines ssa = SsaLinesFromSami(SplitLines(sami), "t", TestStyle(), colours);
  return Lines(ssa.begin() + std::min(kHeaderLines, ssa.size()), ssa.end());
}

std::string Line(const std::string& start, const std::string& end, const std::string& text) {
  return "Dialogue: Marked=0," + start + "," + end + ",*Default,,0000,0000,0000,," + text;
}

TEST(FormatSsaTime, WritesHoursMinutesSecondsAndHundredths) {
  const std::pair<std::uint32_t, std::string> cases[] = {
      {0, "00:00:00.00"},          {9, "00:00:00.00"},           {999, "00:00:00.99"},
      {1000, "00:00:01.00"},       {3723450, "01:02:03.45"},     {359999999, "99:59:59.99"},
      {360000000, "100:00:00.00"}, {2147483647, "596:31:23.64"}, {4294967295u, "1193:02:47.29"}};
  for (const auto& [milliseconds, text] : cases) EXPECT_EQ(FormatSsaTime(milliseconds), text) << milliseconds;
}

TEST(SsaEntryText, JoinsTrimsAndReplacesBreaksAndBlanks) {
  const std::pair<SubtitleEntry, std::string> cases[] = {
      {{"1", "&nbsp;"}, " "},
      {{"1", " ", "&NbSp;&nbsp;x", " "}, "  x"},
      {{"1", "\tA", "<br>", " \t"}, "A\\N"},
      {{"1", "&amp;&nbsp", "&lt;"}, "&amp;&nbsp&lt;"},
      {{"1", "a", "2", "b"}, "a2b"},
      {{"1"}, ""},
      {{"1", "\xC7\xD1&nbsp;\xB1\xDB"}, "\xC7\xD1 \xB1\xDB"}};
  for (const auto& [entry, text] : cases) EXPECT_EQ(SsaEntryText(entry), text) << entry.at(1 % entry.size());
}

TEST(SsaLinesFromSami, GivesTheWorkedExampleExactly) {
  const Lines dialogues = Dialogues(
      "<SYNC Start=1000><P Class=KRCC><font color=\"#ff0000\">Red</font> text<br>Next\r\n"
      "<SYNC Start=3500><P Class=KRCC>&nbsp;\r\n");
  EXPECT_EQ(dialogues, Lines{"Dialogue: Marked=0,00:00:01.00,00:00:03.50,*Default,,0000,0000,0000,,"
                             "{\\c&H0000ff&}Red{\\c} text\\NNext"});
}

// The header's every line is pinned by drama_cp949.ssa below; without a timed block
// the header is all there is.
TEST(SsaLinesFromSami, WritesOnlyTheHeaderWithoutSubtitles) {
  const ColourTable colours;
  const Lines header = SsaLinesFromSami({}, "Holiday", TestStyle(), colours);
  EXPECT_EQ(header.size(), kHeaderLines);
  EXPECT_EQ(SsaLinesFromSami({"<SAMI><BODY>", "<P>untimed</P>", "</BODY>"}, "Holiday", TestStyle(), colours),
            header);
}

struct TimingCase {
  const char* what;
  std::string sami;
  Lines dialogues;
};

void PrintTo(const TimingCase& c, std::ostream* out) { *out << c.what; }

class TimingTest : public ::testing::TestWithParam<TimingCase> {};

TEST_P(TimingTest, EndsEachSubtitleWhereTheNextBegins) { EXPECT_EQ(Dialogues(GetParam().sami), GetParam().dialogues); }

INSTANTIATE_TEST_SUITE_P(
    Table, TimingTest,
    ::testing::Values(
        TimingCase{"blank blocks only end the one before",
                   "<SYNC Start=1000>a\n<SYNC Start=2000>&nbsp;\n<SYNC Start=3000>b\n<SYNC Start=4000>  \n"
                   "<SYNC Start=5000>\n",
                   {Line("00:00:01.00", "00:00:02.00", "a"), Line("00:00:03.00", "00:00:04.00", "b")}},
        TimingCase{"the last block has nothing to end it",
                   "<SYNC Start=1000>a\n<SYNC Start=2000>b\n",
                   {Line("00:00:01.00", "00:00:02.00", "a")}},
        TimingCase{"two languages at one time: the first stands",
                   "<SYNC Start=1000><P Class=KRCC>ko\n<SYNC Start=1000><P Class=ENCC>en\n"
                   "<SYNC Start=2000><P Class=KRCC>&nbsp;\n<SYNC Start=2000><P Class=ENCC>&nbsp;\n",
                   {Line("00:00:01.00", "00:00:02.00", "ko")}},
        TimingCase{"two at one time: the first with text stands",
                   "<SYNC Start=1000>&nbsp;\n<SYNC Start=1000>en\n<SYNC Start=1000>third\n<SYNC Start=2000>\n",
                   {Line("00:00:01.00", "00:00:02.00", "en")}},
        TimingCase{"times running backwards drop both blocks",
                   "<SYNC Start=2000>a\n<SYNC Start=1000>b\n<SYNC Start=3000>c\n<SYNC Start=4000>\n",
                   {Line("00:00:03.00", "00:00:04.00", "c")}},
        TimingCase{"a start that is no number ends nothing",
                   "<SYNC Start=1000>a\n<SYNC Start=soon>b\n<SYNC Start=3000>c\n",
                   {Line("00:00:01.00", "596:31:23.64", "a")}},
        TimingCase{"hexadecimal starts are numbers",
                   "<SYNC Start=$3E8>a\n<SYNC Start=0x7D0>\n",
                   {Line("00:00:01.00", "00:00:02.00", "a")}},
        TimingCase{"a subtitle from before the start shows from the start",
                   "<SYNC Start=-500>a\n<SYNC Start=1500>b\n<SYNC Start=2000>\n",
                   {Line("00:00:00.00", "00:00:01.50", "a"), Line("00:00:01.50", "00:00:02.00", "b")}},
        TimingCase{"a subtitle over before the start is not written",
                   "<SYNC Start=-2000>a\n<SYNC Start=-1000>b\n<SYNC Start=0>c\n<SYNC Start=500>\n",
                   {Line("00:00:00.00", "00:00:00.50", "c")}}));

class ConvertSamiToSsaTest : public ::testing::Test {
 protected:
  SsaStyle KoreanStyle() const {
    SsaStyle style = TestStyle();
    style.fontName = "\xB1\xBC\xB8\xB2";  // a Korean face name, code page 949
    style.playResY = 320;
    return style;
  }
  Lines Convert(const std::string& path) const {
    return ConvertSamiToSsa(NativeFileSystem(), path, kNativePathStyle, KoreanStyle(), colours_);
  }
  ColourTable colours_;
};

TEST_F(ConvertSamiToSsaTest, KeepsTheKoreanBytesOfACodePage949File) {
  const std::optional<std::string> expected = NativeFileSystem().ReadWholeFile(DataFile("drama_cp949.ssa"));
  ASSERT_TRUE(expected);
  EXPECT_EQ(JoinLinesCrLf(Convert(DataFile("drama_cp949.smi"))), *expected);
}

TEST_F(ConvertSamiToSsaTest, DecodesFilesWithAByteOrderMark) {
  const Lines expected{
      Line("00:00:01.00", "00:00:03.50", Utf8ToAnsi(u8"안녕하세요, 반갑습니다.")),
      Line("00:00:04.00", "00:00:06.25", Utf8ToAnsi(u8"{\\c&H00ccff&}철수:{\\c} 오늘 날씨가\\N정말 좋네요")),
      Line("00:00:07.00", "00:00:08.10", Utf8ToAnsi(u8"{\\c&H0000FF&}위험해!{\\c} 비켜요")),
      Line("00:00:09.00", "00:00:11.00",
           Utf8ToAnsi(u8"{\\c&HEBCE87&}영희{\\c}: 고마워요\\N{\\c&Hffffff&}(속삭이며){\\c}"))};
  const std::optional<std::string> utf16le = NativeFileSystem().ReadWholeFile(DataFile("drama_utf16le.smi"));
  ASSERT_TRUE(utf16le);
  std::string utf16be = *utf16le;
  for (std::size_t i = 0; i + 1 < utf16be.size(); i += 2) std::swap(utf16be[i], utf16be[i + 1]);
  testing::TempFolder folder;
  for (const std::string& path : {DataFile("drama_utf8bom.smi"), DataFile("drama_utf16le.smi"),
                                  folder.WriteFile("drama_utf16be.smi", utf16be)}) {
    const Lines ssa = Convert(path);
    ASSERT_EQ(ssa.size(), kHeaderLines + expected.size()) << path;
    EXPECT_EQ(Lines(ssa.begin() + kHeaderLines, ssa.end()), expected) << path;
  }
}

TEST_F(ConvertSamiToSsaTest, TitlesTheScriptWithTheBaseName) {
  testing::TempFolder folder;
  const std::string path = folder.WriteFile("My Clip.v2.smi", "<SYNC Start=1>a\r\n<SYNC Start=2>\r\n");
  const Lines ssa = Convert(path);
  ASSERT_EQ(ssa.size(), kHeaderLines + 1);
  EXPECT_EQ(ssa[1], "Title: My Clip.v2");
  EXPECT_EQ(ssa[18], "Style: Default,\xB1\xBC\xB8\xB2,18,16777215,65535,65535,0,-1,0,1,2,3,2,20,20,24,0,1");
}

TEST_F(ConvertSamiToSsaTest, RefusesAFileThatCannotBeRead) {
  testing::TempFolder folder;
  EXPECT_THROW(Convert(folder / "missing.smi"), PlatformError);
  EXPECT_THROW(Convert(folder.Path()), PlatformError);  // a folder is no file
}

TEST(SsaStyleFor, TakesTheFaceNameAndTheFrameHeightFromTheSettings) {
  EncodeSettings settings;
  settings.colorsubtitle = true;
  settings.fontface = "Nanum Gothic";
  settings.fontfile = "NanumGothic.ttf";
  settings.frameheight = 240;
  const SsaStyle style = SsaStyleFor(settings, 21, 33);
  EXPECT_EQ(style.fontName, "Nanum Gothic");
  EXPECT_EQ(style.fontSize, 21);
  EXPECT_EQ(style.marginV, 33);
  EXPECT_EQ(style.playResY, 240);
}

}  // namespace
}  // namespace clipvane
