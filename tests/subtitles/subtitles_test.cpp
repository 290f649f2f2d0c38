#include <gtest/gtest.h>

#include <algorithm>

#include "common/subtitle_text.h"
#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/text_encoding.h"
#include "subtitles/avs_script.h"
#include "subtitles/colour_table.h"
#include "subtitles/sami_classes.h"
#include "subtitles/sami_text.h"
#include "subtitles/sami_to_ssa.h"
#include "subtitles/ssa_style.h"
#include "subtitles/ssa_writer.h"
#include "subtitles/srt_reader.h"
#include "subtitles/subtitle_source.h"
#include "support/memory_file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

TEST(ColourTable, HoldsEachNameOnceInNameOrderFoundInAnyCase) {
  const ColourTable table;
  for (std::size_t i = 1; i < table.Size(); ++i) EXPECT_LT(table.NameAt(i - 1), table.NameAt(i));
  const std::pair<const char*, std::uint32_t> known[] = {
      {"Red", 0xFF0000}, {"aqua", 0x00FFFF}, {"lightgrey", 0xD3D3D3}, {"yellow", 0xFFFF00}};
  for (const auto& [name, value] : known)
    EXPECT_EQ(table.IndexOf(name) ? table.ValueAt(*table.IndexOf(name)) : 1u, value) << name;
  // The names subtitles have always shown white are not in it.
  for (const char* name :
       {"black", "lightgray", "grey", "whitesmoke", "gainsboro", "beige", "fuchsia", "'red'", " red", "\"red\"", ""})
    EXPECT_FALSE(table.IndexOf(name)) << "[" << name << "]";
}

using Lines = std::vector<std::string>;

// A subtitle file in every encoding it comes in: the text read in the ANSI code page,
// without a byte-order mark, and the copy the encoder reads, UTF-8 with CR LF lines.
TEST(SubtitleBytes, AreReadAndCopiedFromEveryByteOrderMarkAndFromUtf8OrCodePage949) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      // the bytes, the text read (in UTF-8 here), the copy
      {"<P>\xC7\xD1\xB1\xDB\n", u8"<P>한글\n", u8"<P>한글\r\n"},  // code page 949
      {u8"<P>한\n", u8"<P>한\n", u8"<P>한\r\n"},                  // UTF-8 without a mark
      {"\xEF\xBB\xBF" + std::string(u8"한\nnext"), u8"한\nnext",
       "\xEF\xBB\xBF" + std::string(u8"한\nnext")},  // taken as UTF-8 already and copied as it is
      {std::string("\xFF\xFE\x61\0\r\0\n\0\x5C\xD5\n\0", 12), u8"a\r\n한\n", u8"a\r\n한\r\n"},
      {std::string("\xFE\xFF\0a\0\r\xD5\x5C", 8), u8"a\r한", u8"a\r\n한\r\n"},
      {std::string("\xFF\xFE\x61\0b\0c", 7), "ab", "ab\r\n"},  // half a character is dropped
      {"a\rb\r\rc", "a\rb\r\rc", "a\r\nb\r\n\r\nc\r\n"},
      {"", "", ""}};
  for (const auto& [bytes, text, copy] : cases) {
    EXPECT_EQ(SamiTextFromBytes(bytes), Utf8ToAnsi(text)) << bytes;
    EXPECT_EQ(Utf8SubtitleBytes(bytes), copy) << bytes;
  }
  EXPECT_EQ(SamiTextFromBytes("\xFF"), AnsiIsUtf8() ? "\xEF\xBF\xBD" : "\xFF");  // too short for a mark
}

// A line longer than any screen shows is cut, at a character's start; so is every
// stretch between SYNC tags of a SAMI file written on one line, and nothing else.
TEST(BoundSubtitleLines, CutsEveryLineToFourKilobytes) {
  const std::string a(5000, 'a'), korean = [] {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "\xED\x95\x9C";  // 3 bytes each
    return text;
  }();
  const std::string sync = "<SYNC Start=1><P>" + std::string(4000, 'b');
  const std::tuple<const char*, std::string, bool, std::string> cases[] = {
      {"a long line", "x\r\n" + a + "\r\ny", false, "x\r\n" + a.substr(0, 4096) + "\r\ny"},
      {"whole characters", korean + "\n", false, korean.substr(0, 4095) + "\n"},
      {"SYNC tags on one line", sync + sync + sync, true, sync + sync + sync},
      {"no SYNC tags in SRT", sync + sync, false, (sync + sync).substr(0, 4096)}};
  for (const auto& [what, text, html, bounded] : cases)
    EXPECT_EQ(BoundSubtitleLines(text, html, true), bounded) << what;
  // Each kind's plain copy and SSA script, whatever its file holds.
  for (const SubtitleSource* kind : SubtitleSources()) {
    const std::string copy = kind->PlainCopy("<SYNC Start=1><P>" + std::string(1 << 20, 'c') + "\n", "");
    const std::vector<std::string> ssa =
        kind->SsaLines("1\n00:00:01,000 --> 00:00:02,000\n" + std::string(1 << 20, 'c') + "\n", "t", {}, {}, "");
    for (const std::string& line : SplitLines(copy)) EXPECT_LE(line.size(), kLongestSubtitleLine);
    for (const std::string& line : ssa) EXPECT_LE(line.size(), kLongestSubtitleLine + 100);
  }
}

TEST(SplitLines, EndsLinesAtCrLfOrCrLfAndTheTextAtNul) {
  const std::pair<std::string, Lines> cases[] = {{"", {}},
                                                 {"a\r\n", {"a"}},
                                                 {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
                                                 {"a\n\rb", {"a", "", "b"}},
                                                 {"\r", {""}},
                                                 {"\n\n", {"", ""}},
                                                 {std::string("a\nb\0c\nd", 7), {"a", "b"}},
                                                 {std::string("\0<SYNC Start=1>", 15), {}},
                                                 {"\t x \r\n", {"\t x "}}};
  for (const auto& [text, lines] : cases) EXPECT_EQ(SplitLines(text), lines) << text;
  EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}) + JoinLinesCrLf({}), "a\r\n\r\nb\r\n");
}

std::string DataFile(const std::string& name) { return testing::DataFile(CLIPVANE_TEST_DATA + name); }

// Each sample beside its expected script, byte for byte in the ANSI code page (the
// samples are code page 949): a Korean drama, and a file of the edge cases of tags,
// colours, blanks, timing and a line longer than any screen shows, which is cut to
// kLongestSubtitleLine bytes. The drama saved as UTF-8 without a mark gives the same
// script.
TEST(SamiToSsa, WritesTheExpectedScriptOfEachSample) {
  SsaStyle style;
  style.font_name = Utf8ToAnsi(u8"굴림");  // a Korean face name
  style.font_size = 18;
  style.margin_v = 24;
  const ColourTable colours;
  const auto convert = [&](const std::string& path) {
    return JoinLinesCrLf(
        ConvertSubtitleToSsa(NativeFileSystem(), SubtitleAt(path, kNativePathStyle), kNativePathStyle, style, colours));
  };
  testing::TempFolder folder;
  for (const std::string name : {"drama_cp949", "edge_cases"}) {
    const std::optional<std::string> expected = NativeFileSystem().ReadWholeFile(DataFile(name + ".ssa"));
    ASSERT_TRUE(expected) << name;
    const std::string ansi = SubtitleTextToAnsi(*expected);
    EXPECT_EQ(convert(DataFile(name + ".smi")), ansi) << name;
    const std::string sami = NativeFileSystem().ReadWholeFile(DataFile(name + ".smi")).value_or("");
    EXPECT_EQ(convert(folder.WriteFile(name + ".smi", Cp949ToUtf8(sami))), ansi) << name;
  }
  EXPECT_THROW(convert(folder / "missing.smi"), PlatformError);
  EXPECT_THROW(convert(folder.Path()), PlatformError);  // a folder is no file
}

// A file in two languages in either layout: both classes in one SYNC block, or each
// in a block of its own at the same time.
TEST(SamiClasses, KeepsOnlyTheChosenLanguageWhereAFileHasTwo) {
  const std::string one_block =
      "<STYLE>.KRCC {lang:ko}</STYLE>\r\n<SYNC Start=1><P Class=KRCC>\xC7\xD1<br>x\r\n<p class=\"encc\">Hi</P>\r\n"
      "<SYNC Start=2><P Class=KRCC>&nbsp;<P Class=ENCC>&nbsp;\r\n</BODY>";
  const std::string two_blocks = "<SYNC Start=1><P Class=KRCC>K\n<SYNC Start=1><P Class=ENCC>E\n<SYNC Start=2>&nbsp;";
  EXPECT_EQ(SamiClasses(one_block), (Lines{"KRCC", "encc"}));
  const std::string kept_korean =
      "<STYLE>.KRCC {lang:ko}</STYLE>\r\n<SYNC Start=1><P Class=KRCC>\xC7\xD1<br>x\r\n\r\n<SYNC Start=2><P "
      "Class=KRCC>&nbsp;\r\n</BODY>";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {one_block, "ENCC",
       "<STYLE>.KRCC {lang:ko}</STYLE>\r\n<SYNC Start=1>\r\n<p class=\"encc\">Hi</P>\r\n<SYNC Start=2><P "
       "Class=ENCC>&nbsp;"
       "\r\n</BODY>"},
      {one_block, "krcc", kept_korean},
      {two_blocks, "ENCC", "\n<SYNC Start=1><P Class=ENCC>E\n<SYNC Start=2>&nbsp;"},
      {two_blocks, "", "<SYNC Start=1><P Class=KRCC>K\n\n<SYNC Start=2>&nbsp;"},
      {one_block, "", kept_korean},  // 자동: Korean first
      {"<STYLE>.ENCC {lang:en-US} .SUB{Name:x; LANG: ko-KR}</STYLE><SYNC Start=1><P Class=ENCC>E<P Class=SUB>K", "",
       "<STYLE>.ENCC {lang:en-US} .SUB{Name:x; LANG: ko-KR}</STYLE><SYNC Start=1><P Class=SUB>K"},
      {"<STYLE>.A {Name:\xC7\xD1\xB1\xB9\xBE\xEE}</STYLE><P Class=B>E<P Class=A>K", "",
       "<STYLE>.A {Name:\xC7\xD1\xB1\xB9\xBE\xEE}</STYLE><P Class=A>K"},
      {"<STYLE>.AB {lang:ko}</STYLE><P Class=ENCC>E<P Class=A>J", "",
       "<STYLE>.AB {lang:ko}</STYLE><P Class=ENCC>E<P Class=A>J"},                 // none Korean
      {one_block, "JPCC", one_block},                                              // a class the file does not have
      {"<SYNC Start=1><P Class=KRCC>K", "ENCC", "<SYNC Start=1><P Class=KRCC>K"},  // one language only
      {"<SYNC Start=1><P Class=KRCC>K<P Class=ENCC", "ENCC", "<SYNC Start=1><P Class=KRCC>K<P Class=ENCC"}};
  for (const auto& [text, name, kept] : cases) EXPECT_EQ(KeepSamiClass(text, name), kept) << name << " of " << text;
}

// Cues with and without their numbers and blank lines, a point for the comma, no
// hours, positions after the times, and what belongs to no cue; tags as SAMI's.
TEST(SrtReader, ReadsTheCuesAndTheirTextAsTheSsaWriterTakesIt) {
  const Lines srt = SplitLines(
      "1\n00:00:01,500 --> 00:00:03,000\n<font color=\"#ff0000\">Red</font> one\n<i>two</i>\n\n"
      "2\n00:04.25 --> 00:05.5 X1:10 X2:20\n  \nstray text\n3\n01:00:00,000 --> 00:59:59,000\nbackwards\n"
      "4\n0:00:06,000-->0:00:07,000\n<font color='blue' size=2>B</font><FONT COLOR=nosuch>W\n"
      "5\n00:00:08,000 --> 00:00:09,000\nlast");
  const ColourTable colours;
  const Lines ssa = SsaLinesFromSrt(srt, "film", SsaStyle(), colours);
  const std::string line = "Dialogue: Marked=0,00:00:";
  EXPECT_EQ(Lines(ssa.begin() + 22, ssa.end()),
            (Lines{line + "01.50,00:00:03.00,*Default,,0000,0000,0000,,{\\c&H0000ff&}Red{\\c} one\\Ntwo",
                   line + "06.00,00:00:07.00,*Default,,0000,0000,0000,,{\\c&HFF0000&}B{\\c}{\\c&Hffffff&}W",
                   line + "08.00,00:00:09.00,*Default,,0000,0000,0000,,last"}));
  EXPECT_EQ(SrtSsaText({"a < b", "<u"}, colours), "a < b\\N<u");  // no tag without its end
}

// Every way each kind writes a time, on a subtitle with text: the times its Dialogue
// line gets, or none where the reader refuses the time.
TEST(SubtitleTimes, EachKindReadsEveryFormOfTimeItsFilesUse) {
  const std::pair<std::string, const char*> cases[] = {
      // SRT: [h:]m:s[,fraction] with a comma or a point, the fraction of any length.
      {"00:00:01,500 --> 00:00:03,000", "00:00:01.50,00:00:03.00"},
      {"00:00:01.500 --> 00:00:03.000", "00:00:01.50,00:00:03.00"},
      {"00:00:01,50 --> 00:00:03,00", "00:00:01.50,00:00:03.00"},
      {"00:00:01,5 --> 00:00:03,0", "00:00:01.50,00:00:03.00"},
      {"00:00:01,5009 --> 00:00:03,0001", "00:00:01.50,00:00:03.00"},  // finer than milliseconds
      {"00:00:01 --> 00:00:03", "00:00:01.00,00:00:03.00"},
      {"00:01,500 --> 00:03,000", "00:00:01.50,00:00:03.00"},  // no hours
      {"1:2:3,450 --> 1:2:4,000", "01:02:03.45,01:02:04.00"},
      {"100:00:00,000 --> 100:00:01,000", "100:00:00.00,100:00:01.00"},
      {"00:00:60,000 --> 00:01:01,000", ""},
      {"01,500 --> 03,000", ""},
      // SAMI: START in milliseconds, decimal or hexadecimal, with a sign; the next
      // block at 3000 ends it.
      {"<SYNC Start=1500>", "00:00:01.50,00:00:03.00"},
      {"<SYNC Start=+1500>", "00:00:01.50,00:00:03.00"},
      {"<SYNC Start=$5DC>", "00:00:01.50,00:00:03.00"},
      {"<SYNC Start=0x5dc>", "00:00:01.50,00:00:03.00"},
      {"<SYNC Start=-500>", "00:00:00.00,00:00:03.00"},  // before the video: shown from its start
      {"<SYNC Start=\"1500\">", ""}};
  const ColourTable colours;
  for (const auto& [timing, times] : cases) {
    const bool sami = timing[0] == '<';
    const FoundSubtitle file = SubtitleAt(sami ? "a.smi" : "a.srt", PathStyle::kPosix);
    const std::string text = sami ? timing + "<P>shown\n<SYNC Start=3000>&nbsp;\n" : "1\n" + timing + "\nshown\n";
    const Lines ssa = file.source->SsaLines(text, "t", SsaStyle(), colours, "");
    EXPECT_EQ(Lines(ssa.begin() + 22, ssa.end()),
              *times ? Lines{"Dialogue: Marked=0," + std::string(times) + ",*Default,,0000,0000,0000,,shown"} : Lines{})
        << timing;
  }
}

// A video's subtitle is the file beside it named like it, of the first kind there is,
// else a track inside it that can be drawn; the kind of a file or of its copy is known
// by its ending in any letter case, and a name of no kind is read as SAMI, as the
// encoder always has.
TEST(SubtitleSources, FindTheVideosSubtitleInTheirOrderAndKnowEachKindByItsName) {
  const std::vector<MediaTrack> inside{{0, "korean", "pgs", "", "", false, false}};
  const std::tuple<std::string, Lines, std::string> found[] = {
      {"C:\\V\\Holiday.avi", {"C:\\V\\Holiday.srt", "C:\\V\\Holiday.smi"}, "C:\\V\\Holiday.smi .smi"},
      {"C:\\V\\Holiday.mkv", {"C:\\V\\Holiday.ssa", "C:\\V\\Holiday.ass"}, "C:\\V\\Holiday.ass .ass"},
      {"C:\\V\\Holiday.mkv", {"C:\\V\\Holiday.ssa"}, "C:\\V\\Holiday.ssa .ass"},
      {"C:\\V\\Holiday.mkv", {}, "C:\\V\\Holiday.mkv inside"},
      {"C:\\V\\Holiday.avi", {"C:\\V\\Holiday.srt", "C:\\V\\Holiday.avi.smi"}, "C:\\V\\Holiday.srt .srt"},
      {"C:\\V.avi\\clip", {"C:\\V.avi\\clip.smi", "C:\\V.smi"}, "C:\\V.avi\\clip.smi .smi"},
      {"C:\\V\\clip.avi.txt", {"C:\\V\\clip.avi.srt"}, "C:\\V\\clip.avi.srt .srt"},
      {"C:\\V\\Holiday.avi", {"C:\\V\\Holiday.txt"}, " none"}};
  for (const auto& [video, files, expected] : found) {
    const FoundSubtitle subtitle = FindSubtitle(
        video, PathStyle::kWindows,
        [&](const std::string& path) { return std::find(files.begin(), files.end(), path) != files.end(); },
        ExtensionOf(video, PathStyle::kWindows) == ".mkv" ? inside : std::vector<MediaTrack>{});
    const std::string kind = !subtitle                   ? "none"
                             : subtitle.DrawnFromVideo() ? "inside"
                                                         : subtitle.source->CopyExtension();
    EXPECT_EQ(subtitle.path + " " + kind, expected) << video;
  }
  const std::tuple<PathStyle, const char*, const char*> named[] = {
      {PathStyle::kWindows, "C:\\V\\a.SRT", ".srt"}, {PathStyle::kPosix, "/t/qv1.srt", ".srt"},
      {PathStyle::kWindows, "C:\\V\\a.Smi", ".smi"}, {PathStyle::kWindows, "C:\\V\\a.srt.txt", ""},
      {PathStyle::kWindows, "C:\\V\\a.ASS", ".ass"}, {PathStyle::kWindows, "C:\\V\\a.mkv", ""},
      {PathStyle::kPosix, "/t/a.srt/clip", ""},      {PathStyle::kWindows, "C:\\V\\a", ""}};
  for (const auto& [style, path, kind] : named) {
    EXPECT_EQ(IsSubtitleFile(path, style), *kind != '\0') << path;
    EXPECT_EQ(SubtitleAt(path, style).source->CopyExtension(), *kind ? kind : ".smi") << path;
  }
}

// The track the encoder draws for the chosen language: 자동 (empty) takes the Korean
// track, else the default one, else the first; KRCC and ENCC, the classes the setting
// names Korean and English by, take those tracks; a caption in the picture is no track.
TEST(SubtitleInVideo, ChoosesTheTrackOfTheChosenLanguageAndOffersTheTracksLanguages) {
  const MediaTrack caption{0, "korean", "eia-608", "", "", false, false},
      english{1, "english", "utf-8", "", "", false, false}, japanese{2, "japanese", "pgs", "", "", true, false},
      korean{3, "korean", "ass", "", "", false, false}, unnamed{4, "", "vobsub", "", "", false, false};
  const std::tuple<std::vector<MediaTrack>, std::string, int> cases[] = {
      {{caption, english, japanese, korean}, "", 3},
      {{caption, english, japanese, korean}, "ENCC", 1},
      {{caption, english, japanese, korean}, "krcc", 3},
      {{caption, english, japanese, korean}, "Japanese", 2},
      {{caption, english, japanese, korean}, "FRCC", 3},
      {{caption, english, japanese}, "", 2},
      {{caption, english, unnamed}, "", 1},
      {{caption}, "", -1}};
  const SubtitleSource& inside = *SubtitleSources().back();
  for (const auto& [tracks, chosen, track] : cases) {
    const FoundSubtitle found{"/v/a.mkv", &inside, tracks};
    EXPECT_EQ(inside.TrackToDraw(found, chosen).value_or(-1), track) << chosen << " of " << tracks.size();
  }
  const FoundSubtitle all{"/v/a.mkv", &inside, {caption, english, japanese, korean, unnamed, english}};
  EXPECT_EQ(inside.Classes(all, ""), (Lines{"ENCC", "japanese", "KRCC"}));
}

// The longest time a script can hold. (How every other time is written: SubtitleTimes.)
TEST(SsaWriter, WritesTheLongestTime) { EXPECT_EQ(FormatSsaTime(4294967295u), "1193:02:47.29"); }

// Written end to end through the stand-ins by the tools' subtitle route test; here
// what that cannot show.
TEST(WriteAvsScript, NamesTheFilesAfterTheVideoOpensTheSourceGivenAndWritesNothingWithoutTheSubtitle) {
  testing::MemoryFileSystem files;
  const Workspace workspace("D:\\app\\", PathStyle::kWindows);
  const ColourTable colours;
  const SsaStyle style;
  const DrawnSubtitle sami{SubtitleAt("C:\\clips\\movie.smi", PathStyle::kWindows), ""};
  EXPECT_THROW(WriteAvsScript(files, workspace, "", "C:\\clips\\movie.avi", sami, style, colours), PlatformError);
  EXPECT_TRUE(files.files.empty());
  files.files["C:\\clips\\movie.smi"] = "<SYNC Start=1000>Hello\r\n<SYNC Start=2000>&nbsp;\r\n";
  const AvsFiles written = WriteAvsScript(files, workspace, "C:\\Program Files\\AviSynth 2.5\\plugins\\",
                                          "C:\\clips\\movie.avi", sami, style, colours, "D:\\app\\temp\\qv1.avi");
  EXPECT_EQ(written.ssa + " " + written.avs, "D:\\app\\temp\\movie.ssa D:\\app\\temp\\movie.avs");
  EXPECT_EQ(files.files[written.avs],
            "LoadPlugin(\"C:\\Program Files\\AviSynth 2.5\\plugins\\VSFilter.dll\")\r\n"
            "DirectShowSource(\"D:\\app\\temp\\qv1.avi\")\r\nTextSub(\"D:\\app\\temp\\movie.ssa\")\r\n");
  EXPECT_EQ(files.files[written.ssa].rfind("[Script Info]\r\nTitle: movie\r\n", 0), 0u);
  // An SRT file is read as one, and of a SAMI file the chosen language is drawn.
  files.files["C:\\clips\\movie.srt"] = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n";
  WriteAvsScript(files, workspace, "", "C:\\clips\\movie.avi",
                 {SubtitleAt("C:\\clips\\movie.srt", PathStyle::kWindows), ""}, style, colours);
  EXPECT_NE(files.files[written.ssa].find(",,Hello\r\n"), std::string::npos);
  files.files["C:\\clips\\movie.smi"] =
      "<SYNC Start=1000><P Class=KRCC>K<P Class=ENCC>E\r\n<SYNC Start=2000>&nbsp;\r\n";
  WriteAvsScript(files, workspace, "", "C:\\clips\\movie.avi", {sami.found, "ENCC"}, style, colours);
  EXPECT_NE(files.files[written.ssa].find(",,E\r\n"), std::string::npos);
  files.unwritable.insert(written.avs);
  EXPECT_THROW(WriteAvsScript(files, workspace, "", "C:\\clips\\movie.avi", sami, style, colours), PlatformError);
}

}  // namespace
}  // namespace clipvane
