#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>

#include "common/workspace.h"
#include "media/audio_tracks.h"
#include "media/list_commands.h"
#include "media/media_probe.h"
#include "media/mediainfo_library.h"
#include "media/mediainfo_report.h"
#include "media/video_list.h"
#include "media/video_list_file.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "support/fakes.h"
#include "support/memory_file_system.h"
#include "support/temp_folder.h"

namespace clipvane {
namespace {

// A program folder D:\Conv\ in memory, videos in D:\Videos\ and an empty list over the
// default video extensions.
class VideoListTest : public ::testing::Test {
 protected:
  VideoListTest() { files.folders = {"D:\\Videos\\"}; }
  std::string Video(const std::string& name, const std::string& bytes = "video") {
    const std::string path = "D:\\Videos\\" + name;
    files.files[path] = bytes;
    return path;
  }
  // Puts the finished MP4 of a video into incoming.
  std::string Encoded(const std::string& video_path) {
    const std::string mp4 = LoneJobTarget(video_path, {workspace.Incoming()}, PathStyle::kWindows).output;
    files.files[mp4] = "mp4";
    return mp4;
  }
  std::string ListLog() { return files.ReadWholeFile("D:\\Conv\\list.log").value_or("-"); }
  // Each row's title, or with `paths` its path.
  std::vector<std::string> Rows(bool paths = false) {
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < list.RowCount(); ++i) rows.push_back(paths ? list.EntryPath(i) : list.Row(i).title);
    return rows;
  }

  testing::MemoryFileSystem files;
  Workspace workspace{"D:\\Conv\\", PathStyle::kWindows};
  std::vector<std::string> video_exts{"avi", "mpg", "asf", "wmv"};
  VideoList list{workspace, files, video_exts};
};

TEST(MediaInfoReport, ReadsThePictureOfTheFirstVideoSection) {
  const std::tuple<std::string, int, int, double> cases[] = {
      // An MP4 file with AAC sound: the audio section's packet rate is no frame rate.
      {"General\nFrame rate : 23.976 FPS\n\nVideo\nWidth : 640 pixels\nHeight : 352 pixels\n"
       "Frame rate mode : Constant\nFrame rate : 23.976 (24000/1001) FPS\n\nAudio\nFrame rate : 43.066 FPS (1024 "
       "SPF)\n",
       640, 352, 23.976},
      {"General\n\nVideo #1\nWidth : 320 pixels\nHeight : 240 pixels\nFrame rate : 25.000 FPS\n\n"
       "Video #2\nWidth : 1 920 pixels\nHeight : 1 080 pixels\nFrame rate : 50.000 FPS\n",
       320, 240, 25.0},
      // Without a Video section the whole report is read and the last line wins.
      {"General\nFrame rate : 30.000 FPS\nWidth : 100 pixels\n\nAudio\nFrame rate : 43.066 FPS (1024 SPF)\n"
       "Height : 50 pixels\n",
       100, 50, 43.066},
      // A phone's picture is planned as it is shown: turned by a quarter turn, not by a half.
      {"Video\nWidth : 640 pixels\nHeight : 360 pixels\nRotation : 90\xC2\xB0\n", 360, 640, 0},
      // Digits grouped by a blank.
      {"Video\nRotation : 270.000\xC2\xB0\nWidth : 1 920 pixels\nHeight : 1 080 pixels\n", 1080, 1920, 0},
      {"Video\nWidth : 640 pixels\nHeight : 360 pixels\nRotation : 180\xC2\xB0\n", 640, 360, 0},
      {"General\nRotation : 90\xC2\xB0\nWidth : 640 pixels\nHeight : 360 pixels\n", 640, 360, 0},
      // One line each, cut as always.
      {"Video\nFrame rate mode : Constant\n", 0, 0, 0},       // one word, no blank: no value
      {"Video\nWidth : 1 280\n", 1, 0, 0},                    // the last group needs its unit; no aspect
      {"Video\nWidth and height : 640 pixels\n", 0, 640, 0},  // height is tested first
      {"Video\nOriginal frame rate : 25.000 FPS\n", 0, 0, 25.0},
      // VP9 in RGB: the stored render size is no picture size.
      {"Video\nWidth : 320 pixels\nOriginal width : 24 644 pixels\nHeight : 240 pixels\n"
       "Original height : 33 346 pixels\n",
       320, 240, 0},
      {"Video\nheight 240 pixels\n", 0, 0, 0},            // no ":": "height" is the value
      {"Video\nFrame rate : 12,5 FPS\n", 0, 0, 0},        // MediaInfo writes a "."
      {"Video\nFrame rate : 25 FPS : 50\n", 0, 0, 25.0},  // after the first ":" only
      {"Video\nHeight :" + std::string(250, ' ') + "480 pixels\n", 0, 480, 0},
      {"Video\nHeight :" + std::string(252, ' ') + "480 pixels\n", 0, 0, 0}};  // the blank falls beyond 255 characters
  for (const auto& [report, width, height, frame_rate] : cases) {
    const MediaFacts facts = ParseMediaInfoReport(report);
    EXPECT_EQ(std::tie(facts.width, facts.height, facts.frameRate), std::tie(width, height, frame_rate)) << report;
    EXPECT_DOUBLE_EQ(facts.aspect, height ? static_cast<double>(width) / height : 0) << report;
  }
}

// The sound and subtitle tracks, each kind counted from 0 in report order; the whole
// report, whose video section tells a file without video from a video without a size.
TEST(MediaInfoReport, ListsTheTracksAndKeepsTheWholeReportLowerCasedWithCrLf) {
  const MediaFacts facts = ParseMediaInfoReport(
      "General\nLanguage : Korean\n\nVideo\nWidth : 320 pixels\nHeight : 240 pixels\n\nAudio #1\nFormat : AAC "
      "LC\nLanguage : English\nDefault : Yes\n\nAudio #2\nTitle : Director: commentary\nLanguage : Korean\n"
      "Default : No\n\nText\nFormat : PGS\nCodec ID : S_HDMV/PGS\nForced : Yes\n\nMenu\nLanguage : French\n");
  auto shown = [](const std::vector<MediaTrack>& tracks) {
    std::string text;
    for (const MediaTrack& t : tracks)
      text += std::to_string(t.ordinal) + "[" + t.language + "|" + t.format + "|" + t.codec_id + "|" + t.title + "|" +
              (t.default_track ? "d" : "") + (t.forced ? "f" : "") + "]";
    return text;
  };
  EXPECT_EQ(shown(facts.audio_tracks), "0[english|aac lc|||d]1[korean|||director: commentary|]");
  EXPECT_EQ(shown(facts.subtitle_tracks), "0[|pgs|s_hdmv/pgs||f]");
  std::string long_report = "General\r\nComplete name : C:\\Clips\\A.AVI\rVideo\n\nFormat : MPEG-4 Visual";
  for (int i = 0; i < 400; ++i) long_report += "\r\nOther : line number " + std::to_string(i);
  EXPECT_FALSE(ParseMediaInfoReport("General\nComplete name : /m/notes.avi\nFile size : 5 Bytes\n").video_section);
  EXPECT_TRUE(ParseMediaInfoReport("General\n\nVideo\nFormat : MPEG-4 Visual\n").video_section);
  const std::string report = ParseMediaInfoReport(long_report).report;
  const std::string head = "general\r\ncomplete name : c:\\clips\\a.avi\r\nvideo\r\n\r\nformat : mpeg-4 visual\r\n";
  EXPECT_EQ(report.substr(0, head.size()), head);
  EXPECT_EQ(report.substr(report.size() - 25), "other : line number 399\r\n");  // nothing cut at 4099
}

// Tracks as "<language>", "-" for an untold one, "*" after the default, apart by blanks.
std::vector<MediaTrack> Tracks(const std::string& spec) {
  std::vector<MediaTrack> tracks;
  std::istringstream words(spec);
  for (std::string word; words >> word;) {
    MediaTrack& track = tracks.emplace_back();
    track.ordinal = static_cast<int>(tracks.size()) - 1;
    track.default_track = word.back() == '*';
    track.language = word == "-" || word == "-*" ? "" : word.substr(0, word.size() - track.default_track);
  }
  return tracks;
}

TEST(AudioTracks, TheChosenLanguageElseKoreanElseTheDefaultElseTheFirst) {
  const struct {
    const char* tracks;
    const char* language;
    int chosen;
  } cases[] = {
      {"english* korean", "", 1},         // 자동: Korean over the default
      {"english korean korean", "", 1},   // the first Korean one
      {"english japanese*", "", 1},       // no Korean: the default
      {"english japanese", "", 0},        // nothing marked: the first
      {"- -*", "", 1},                    // untold languages
      {"english* korean", "english", 0},  // named
      {"korean english english", "english", 1},
      {"english* korean", "french", 1},  // a language the video lacks: as 자동
      {"english", "korean", 0},
      {"", "", 0},  // no tracks listed
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChosenAudioTrack(Tracks(c.tracks), c.language), c.chosen) << c.tracks << " / " << c.language;
  EXPECT_EQ(AudioLanguages(Tracks("english - korean* english japanese")),
            (std::vector<std::string>{"english", "korean", "japanese"}));
}

TEST(TrackSummary, ReadsLengthAndTrackCounts) {
  const std::pair<std::string, std::string> cases[] = {
      {"1520|1|1", "read 1.52s 1v 1a"}, {"1520.000|1|", "read 1.52s 1v 0a"},
      {"|||", "unread 0s 0v 0a"},       {"|2|1\r\n", "read 0s 2v 1a"},
      {"", "unread 0s 0v 0a"},          {"-5|x|-1", "read 0s 0v 0a"},
      {"1|1", "unread 0s 0v 0a"}};
  for (const auto& [text, summary] : cases) {
    const TrackSummary t = ParseTrackSummary(text);
    std::ostringstream shown;
    shown << (t.read ? "read " : "unread ") << t.seconds << "s " << t.video_tracks << "v " << t.audio_tracks << "a";
    EXPECT_EQ(shown.str(), summary) << text;
  }
}

using Texts = std::vector<std::string>;

const char kGoodReport[] = "Video\nWidth : 320 pixels\nHeight : 240 pixels\nFrame rate : 25.000 FPS\n";

class MediaProbeTest : public VideoListTest {
 protected:
  // The probe's steps, written as the status bar shows them.
  const Progress steps_ = [this](const ProgressStep& step) {
    steps.push_back((step.kind == ProgressStep::Kind::kChecking ? "checking " : "checked ") + step.file);
  };
  testing::FakeMediaInfoLibrary library;
  MediaProbe probe{library, files, PathStyle::kWindows};
  Texts steps;
};

// A row is probed once, and a refresh probes the rows added since; it reads the
// encoded marker again each time, the subtitle column when the row is added (a file
// beside the video) and when it is probed, which finds the tracks inside it ("내장").
// Where MediaInfo gives no size, or one no picture has, FFmpeg's reading of the picture
// (the encoder's "-identify") is planned with; a size it cannot tell leaves none.
TEST(MediaProbeSize, AsksTheEncoderOnlyWhereMediaInfoHasNoPlausibleSize) {
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"Video\nWidth : 640 pixels\nHeight : 480 pixels\n", "ID_VIDEO_WIDTH=1\nID_VIDEO_HEIGHT=1\n", "640x480"},
      {"Video\nWidth : 24 804 pixels\nHeight : 480 pixels\n", "ID_VIDEO_WIDTH=320\r\nID_VIDEO_HEIGHT=240\r\n",
       "320x240 asked"},
      {"Video\nFormat : VP9\n", "ID_VIDEO_WIDTH=320\nID_VIDEO_HEIGHT=240\n", "320x240 asked"},
      {"Video\nWidth : 99 999 pixels\nHeight : 480 pixels\n", "ID_VIDEO_WIDTH=320\n", "0x0 asked"},
      {"Video\nWidth : 99 999 pixels\nHeight : 480 pixels\n", "ID_VIDEO_WIDTH=0\nID_VIDEO_HEIGHT=240\n", "0x0 asked"},
      {"General\nFormat : Text\n", "ID_VIDEO_WIDTH=320\nID_VIDEO_HEIGHT=240\n", "0x0"}};  // no picture at all
  for (const auto& [report, identified, expected] : cases) {
    testing::FakeMediaInfoLibrary library;
    library.reports["v"] = report;
    testing::MemoryFileSystem files;
    bool asked = false;
    MediaProbe probe{library, files, PathStyle::kPosix, [&](const std::string& path) {
                       asked = path == "v";
                       return ParseIdentifiedSize(identified);
                     }};
    const MediaFacts facts = probe.RunMediaInfo("v");
    EXPECT_EQ(std::to_string(facts.width) + "x" + std::to_string(facts.height) + (asked ? " asked" : ""), expected)
        << report;
  }
}

TEST_F(MediaProbeTest, ProbesOnceSaysSoNotesAFailureInTheTitleAndRefreshRereadsOnlyTheEncodedMarker) {
  const std::string path = Video("Holiday.avi"), broken = Video("broken.avi"), gone = Video("gone.avi");
  const std::string later = Video("later.avi");
  library.reports[path] = library.reports[gone] = library.reports[later] = kGoodReport;
  for (const char* subtitle : {"Holiday.smi", "broken.srt", "gone.srt.txt"}) Video(subtitle, "subtitle");
  for (const std::string& video : {path, broken, gone}) list.AddVideo(video);
  EXPECT_EQ(list.Row(0).subtitle + list.Row(1).subtitle + list.Row(2).subtitle, "OKOK-");
  files.files.erase(gone);                // deleted before its probe
  EXPECT_TRUE(library.informed.empty());  // adding never probes
  const VideoEntry first = probe.ProbeVideo(list, 0, steps_);
  EXPECT_EQ(first.facts.width * 1000 + first.facts.height, 320240);
  library.reports[path] = "Video\nHeight : 480 pixels\n";  // the file changed meanwhile
  EXPECT_EQ(probe.ProbeVideo(list, 0, steps_).facts.height, 240);
  RefreshList(list, probe, steps_);  // the deleted video is passed over in silence
  EXPECT_EQ(steps, (Texts{"checking Holiday.avi", "checked Holiday.avi", "checking broken.avi", "checked broken.avi"}));
  Video("gone.avi");  // back again: still not probed a second time
  list.AddVideo(later);
  const std::string mp4 = Encoded(path);
  Video("later.smi", "subtitle");  // appears after the row was added
  steps.clear();
  RefreshList(list, probe, steps_);
  EXPECT_EQ(steps, (Texts{"checking later.avi", "checked later.avi"}));
  EXPECT_EQ(list.Row(2).entry.facts.height, 0);
  EXPECT_EQ(Rows(), (Texts{"Holiday", "broken" + ProbeFailureNote(), "gone", "later"}));  // noted once
  EXPECT_EQ(library.informed, (Texts{path, broken, later}));
  EXPECT_EQ(list.Row(0).encoded_marker + "|" + list.Row(3).encoded_marker + "|" + list.Row(3).subtitle, "*||OK");
  files.files.erase(mp4);
  const std::string inside = Video("inside.avi");
  library.reports[inside] = std::string(kGoodReport) + "\nText\nFormat : UTF-8\nLanguage : Korean\n";
  list.AddVideo(inside);
  EXPECT_EQ(list.Row(4).subtitle, "-");
  RefreshList(list, probe);
  EXPECT_EQ(list.Row(0).encoded_marker + "|" + list.Row(4).subtitle, "|" + Utf8ToAnsi(u8"내장"));
}

using Outcomes = std::vector<AddOutcome>;
using R = RefusalReason;

TEST_F(VideoListTest, RefusesWhatDoesNotQualifyAndSaysWhy) {
  const std::string clip = Video("clip.avi");
  const std::string longest = Video(std::string(kMaxVideoPathLength - 14, 'n') + ".avi");
  files.folders.insert("D:\\Videos\\folder.avi");
  const Outcomes outcomes =
      AddDroppedFiles(list, {"clip.avi", clip, "D:\\VIDEOS\\CLIP.Avi", "D:\\Videos\\.\\x\\..\\clip.avi",
                             "D:\\Videos.avi\\clip", longest, "D:\\Videos\\x" + longest.substr(10),
                             "D:\\Videos\\missing.avi", "D:\\Videos\\folder.avi", Video("two\nlines.avi")});
  EXPECT_EQ(outcomes, (Outcomes{R::kNoFolder, std::nullopt, R::kAlreadyListed, R::kAlreadyListed, R::kNotAVideo,
                                std::nullopt, R::kPathTooLong, R::kFileMissing, R::kIsFolder, R::kLineBreakInName}));
  EXPECT_EQ(list.EntryPath(1), longest);  // whole, never cut
  list.RemoveVideo(0);
  EXPECT_FALSE(list.AddVideo("D:\\Videos\\\\clip.avi"));  // a removed path can be added again, as one
  EXPECT_EQ(list.EntryPath(1), clip);
}

// Videos of one base name never share an MP4: each keeps the one its job noted, the
// others take the next names no other video's note holds, in list order ("(2)", ...);
// an MP4 without a note is the first video's, but marked encoded only when no other
// listed video has its name. Clearing the encoded rows never takes one whose own
// video was not converted.
TEST_F(VideoListTest, VideosOfOneNameEachGetAnMp4OfTheirOwn) {
  const std::string first = Video("Same.avi"), second = "D:\\Other\\Same.mpg", third = Video("c\\SAME.wmv");
  for (const std::string& path : {second, third}) files.files[path] = "v";
  const std::string mp4 = Encoded(second);
  for (const std::string& path : {first, Video("Keep.avi"), second}) list.AddVideo(path);
  const auto outputs = [&] {
    std::string said;
    for (std::size_t row = 0; row < list.RowCount(); ++row)
      said += FileNamePart(list.Row(row).target.output, PathStyle::kWindows) + list.Row(row).encoded_marker + "|";
    return said;
  };
  EXPECT_EQ(outputs(), "Same.mp4|Keep.mp4|Same (2).mp4|");  // whose is it? Nobody knows.
  files.files[SourceRecordPath(mp4, PathStyle::kWindows)] = "D:\\OTHER\\same.MPG\n";
  files.files["D:\\Conv\\incoming\\Same (3).mp4"] = "the user's own";
  list.UpdateEncodedMarker(0);  // as a refresh, or an encode command, looks again
  list.AddVideo(third);
  EXPECT_EQ(outputs(), "Same (2).mp4|Keep.mp4|Same.mp4*|Same (4).mp4|");
  EXPECT_EQ(list.Row(0).target.name, "Same (2)");  // its script and log
  files.files.erase(mp4);                          // the marker stays as last computed
  ClearEncoded(list);
  EXPECT_EQ(Rows(), (Texts{"Same", "Keep", "SAME"}));
  Encoded(second);
  list.RemoveVideo(2);
  EXPECT_EQ(outputs(), "Same (2).mp4|Keep.mp4|");            // alone now, and still not the MP4's video
  EXPECT_TRUE(files.Exists(first) && files.Exists(second));  // rows go, files stay
  // Under a folder of the user's choice, keeping the place below the folder added.
  list.SetOutputPlace({"E:\\MP4", true});
  list.AddVideo(third, "D:\\Videos\\");
  EXPECT_EQ(list.Row(2).target.output, "E:\\MP4\\Videos\\c\\SAME.mp4");
  EXPECT_EQ(list.Row(2).target.name, "SAME." + PathKey(list.Row(2).target.output, PathStyle::kWindows));
  EXPECT_EQ(list.Row(0).target.output, "E:\\MP4\\Same.mp4");  // added alone
}

// Rows named 0..n-1 with these selected and this one focused (-1: none): what remains,
// the focused row and the selected rows after DeleteSelected.
TEST_F(VideoListTest, DeleteSelectedRemovesTheSelectionAndSelectsTheFocusedRow) {
  const std::tuple<int, std::vector<std::size_t>, int, std::string> cases[] = {
      {5, {2}, 2, "0134 focus 2 selected 2"},      // the next row takes the focus's place
      {6, {0, 2}, 4, "1345 focus 2 selected 2"},   // the focus stays on its own row
      {5, {1, 3, 4}, 4, "02 focus 1 selected 1"},  // the focused last row goes: the new last
      {3, {1}, -1, "02 focus - selected "},        // no focus: the selection stays empty
      {3, {0, 1, 2}, 1, " focus - selected "},
      {3, {}, 1, "012 focus 1 selected 1"}};  // nothing goes, the focused row is selected
  for (const auto& [rows, selected, focus, after] : cases) {
    VideoList fresh(workspace, files, video_exts);
    for (int i = 0; i < rows; ++i) fresh.AddVideo(Video(std::to_string(i) + ".avi"));
    fresh.SelectOnly(selected);
    for (std::size_t row : selected) fresh.SetSelected(row, true);  // selected twice, counted once
    EXPECT_EQ(fresh.SelectedCount(), selected.size());
    if (focus >= 0) fresh.SetFocusedRow(static_cast<std::size_t>(focus));
    DeleteSelected(fresh);
    std::string shown;
    for (std::size_t row = 0; row < fresh.RowCount(); ++row) shown += fresh.Row(row).title;
    shown += " focus " + (fresh.FocusedRow() ? std::to_string(*fresh.FocusedRow()) : "-") + " selected ";
    for (std::size_t row : fresh.SelectedRows()) shown += std::to_string(row);
    EXPECT_EQ(shown, after);
    EXPECT_EQ(fresh.SelectedCount(), fresh.SelectedRows().size());
    EXPECT_EQ(fresh.Listed().Count(), fresh.RowCount());
  }
}

#ifndef _WIN32
// On Linux a path is bytes: names differing in case are two files, ".." goes where the
// file system says (through a link: ResolvedPath, in tests/platform), and nothing in
// incoming is taken, reached through a link or not.
TEST(VideoListOnLinux, TakesPathsAsTheFileSystemResolvesThem) {
  testing::TempFolder temp;
  FileSystem& files = NativeFileSystem();
  const Workspace workspace(temp / "app/", PathStyle::kPosix);
  workspace.CreateFolders(files);
  files.MakeFolders(temp / "a");
  for (const char* name : {"a/clip.avi", "a/Clip.avi", "x.avi", "app/incoming/own.avi"}) temp.WriteFile(name, "v");
  std::filesystem::create_directory_symlink(temp / "app/incoming", temp / "in");
  const std::vector<std::string> video_exts{"avi"};
  VideoList list(workspace, files, video_exts);
  const Outcomes outcomes =
      AddDroppedFiles(list, {temp / "a/clip.avi", temp / "a/Clip.avi", temp / "a//./clip.avi", temp / "none/../x.avi",
                             temp / "app/incoming/own.avi", temp / "in/own.avi"});
  EXPECT_EQ(outcomes,
            (Outcomes{std::nullopt, std::nullopt, R::kAlreadyListed, R::kFileMissing, R::kInIncoming, R::kInIncoming}));
}
#endif

TEST_F(VideoListTest, KeepsTheRowsInOrderAndForgetsWhatIsGone) {
  const std::string c = Video("c.avi"), a = Video("\xB0\xA1 \xB3\xAA.mpg"), b = Video("b.WMV");
  const std::string fits = Video(std::string(kMaxVideoPathLength - 14, 'n') + ".avi");
  const std::string too_long = Video(std::string(kMaxVideoPathLength - 13, 'n') + ".avi");
  files.files["D:\\VIDEOS\\C.AVI"] = "the same file";
  // An editor's byte-order mark, a video on a drive that is away whose first bytes are
  // the mark's, blank lines, LF and CR endings, a deleted video, a text file, a path
  // too long for a row (kept, never cut), a duplicate in other letter case.
  const std::string mark = "\xEF\xBB\xBF", away = mark + "E:\\Away\\film.avi";
  files.files["D:\\Conv\\list.log"] = mark + away + "\r\n" + c + "\r\n\r\n" + a + "\nD:\\Videos\\gone.avi\r" +
                                      Video("readme.txt") + "\r\n" + too_long + "\r\n" + fits + "\r\n" + b + "\r\n" +
                                      "D:\\VIDEOS\\C.AVI";
  const StoredList stored = LoadVideoList(list, files, workspace);
  EXPECT_EQ(Rows(true), (Texts{c, a, fits, b}));
  // What may come back keeps its place; a row added since goes last.
  list.RemoveVideo(1);
  list.AddVideo(Video("new.avi"));
  const StoredList saved = SaveVideoList(list, stored, files, workspace);
  // The kept line written first keeps its bytes. (That a saved list reads back as it was
  // written, whatever list.log held: the list.log fuzzer's property.)
  const std::string written = mark + away + "\r\n" + c + "\r\nD:\\Videos\\readme.txt\r\n" + too_long + "\r\n" + fits +
                              "\r\n" + b + "\r\nD:\\Videos\\new.avi\r\n";
  EXPECT_EQ(ListLog(), written);
  EXPECT_EQ(saved.rows, Rows(true));
  SaveVideoList(list, saved, files, workspace);  // nothing more of its own to write
  EXPECT_EQ(ListLog(), written);
}

// A window and a command line at once: each writes only its own additions and
// removals into list.log as it is at the save, so neither loses the other's rows. An
// empty list saves an empty file, and a failed save keeps the previous one.
TEST_F(VideoListTest, ASaveWritesItsOwnChangesIntoTheFileAsItIsNow) {
  EXPECT_EQ(LoadVideoList(list, files, workspace).rows.size() + list.RowCount(), 0u);  // no list.log: an empty list
  files.files["D:\\Conv\\list.log"] = "D:\\Videos\\old.avi\r\n";  // deleted from a folder that is there
  SaveVideoList(list, LoadVideoList(list, files, workspace), files, workspace);
  EXPECT_EQ(ListLog(), "");
  files.files["D:\\Conv\\list.log"] = Video("r0.avi") + "\r\n" + Video("r1.avi") + "\r\n" + Video("r2.avi") + "\r\n";
  const StoredList stored = LoadVideoList(list, files, workspace);
  // Meanwhile another process adds two rows and removes r2.
  files.files["D:\\Conv\\list.log"] =
      Video("r0.avi") + "\r\n" + Video("r1.avi") + "\r\nF:\\away.avi\r\n" + Video("theirs.avi") + "\r\n";
  list.RemoveVideo(0);
  list.AddVideo(Video("mine.avi"), "D:\\Videos\\");  // with its folder
  list.AddVideo(Video("theirs.avi"));                // added by both: once
  files.files["D:\\Conv\\list.roots"] = "3 D:\\Videos\\r1.avi\r\n3 D:\\Videos\\r2.avi\r\n";
  SaveVideoList(list, stored, files, workspace);
  const std::string saved = ListLog();
  std::string names;
  for (const std::string& line : VideoListLines(saved)) names += line.substr(line.rfind('\\') + 1) + " ";
  EXPECT_EQ(names, "r1.avi away.avi theirs.avi mine.avi ");
  // The folders the rows came with, for the rows the file keeps, theirs included.
  EXPECT_EQ(files.files.at("D:\\Conv\\list.roots"), "3 D:\\Videos\\r1.avi\r\n9 D:\\Videos\\mine.avi\r\n");
  VideoList again(workspace, files, video_exts);
  LoadVideoList(again, files, workspace);
  EXPECT_EQ(again.Row(0).root + "|" + again.Row(2).root, "D:|D:\\Videos");
  // Neither a failed write nor a file that cannot be read (which must not pass for an
  // empty one) loses a row.
  for (std::set<std::string>* failing : {&files.unwritable, &files.unreadable}) {
    failing->insert("D:\\Conv\\list.log");
    EXPECT_THROW(SaveVideoList(list, {}, files, workspace), PlatformError);
    failing->clear();
    EXPECT_EQ(ListLog(), saved);
  }
}

// What only Windows shows: MediaInfo.dll missing or damaged beside the program.
#ifdef _WIN32
TEST(MediaInfoLibrary, WithoutAUsableDllEveryProbeFailsAndTheLibrarySaysWhy) {
  testing::TempFolder program_folder;  // holds no MediaInfo.dll
  FileSystem& files = NativeFileSystem();
  const std::unique_ptr<MediaInfoLibrary> missing = LoadMediaInfoLibrary(program_folder.Path(), files);
  EXPECT_EQ(missing->Problem(), MediaInfoProblem::kMissing);
  program_folder.WriteFile("MediaInfo.dll", "MZ but nothing of a library after it");
  const std::unique_ptr<MediaInfoLibrary> damaged = LoadMediaInfoLibrary(program_folder.Path(), files);
  EXPECT_EQ(damaged->Problem(), MediaInfoProblem::kUnusable);  // refused quietly, no system box
  const std::string video = program_folder.WriteFile("a.avi", "video");
  EXPECT_EQ(missing->Inform(video) + damaged->Inform(video), "");
}
#endif

// The probe through the real MediaInfo library, on small real videos that the
// media_samples test fixture makes with FFmpeg into the build folder: Debian's
// library on Linux; on Windows the MediaInfo.dll built for the program, beside the
// test program, reading the same files through Wine's view of that folder. Without
// the DLL (a Windows build without CLIPVANE_WINDOWS_DEPS) these cases are skipped.
// The videos of tests/media/make_samples.cmake (UTF-8 names) and what the probe must
// find in them: the picture as shown, frame rate, video and audio tracks.
const std::pair<std::string, std::string> kSamples[] = {
    {"landscape 4x3.avi", "160x120 25fps 1v 1a"},
    {"wide 16x9.mp4", "192x108 23.976fps 1v 1a"},  // AAC in MP4: the audio's packet rate is no frame rate
    {"portrait silent.mkv", "96x160 29.97fps 1v 0a"},
    {"portrait film.mp4", "108x192 23.976fps 1v 1a"},
    {"phone turned.mp4", "108x192 23.976fps 1v 1a"},  // the size as shown
    {"window.wmv", "176x144 25fps 1v 1a"},
    {u8"휴가 영상.avi", "128x96 29.97fps 1v 1a"}};

// ANSI path of a file the fixture made.
std::string SamplePath(const std::string& utf8_name) {
  return AppDirFromExecutable(ExecutablePath(), kNativePathStyle) + "media-samples" + Separator(kNativePathStyle) +
         Utf8ToAnsi(utf8_name);
}

// The size and frame rate that a probe finds, and the tracks and length that a waiting
// command checks a result with. The library's view is shared by the whole process, so
// the ordinary report must come back whole after a track summary. (What the probe
// makes of a report and notes of a failure: MediaProbeTest.)
TEST(RealMediaInfoLibrary, FindsTheTrueSizeFrameRateTracksAndLengthOfEverySample) {
  const std::unique_ptr<MediaInfoLibrary> library =
      LoadMediaInfoLibrary(AppDirFromExecutable(ExecutablePath(), kNativePathStyle), NativeFileSystem());
  if (library->Problem() != MediaInfoProblem::kNone) GTEST_SKIP() << "no MediaInfo library beside the program";
  ASSERT_TRUE(NativeFileSystem().Exists(SamplePath(kSamples[0].first)))
      << "no sample videos: the media_samples test makes them (ctest runs it first)";
  for (const auto& [name, found] : kSamples) {
    const MediaFacts facts = ParseMediaInfoReport(library->Inform(SamplePath(name)));
    const TrackSummary tracks = ParseTrackSummary(library->InformTracks(SamplePath(name)));
    std::ostringstream shown;
    shown << facts.width << "x" << facts.height << " " << facts.frameRate << "fps " << tracks.video_tracks << "v "
          << tracks.audio_tracks << "a";
    EXPECT_EQ(shown.str(), found) << name;
    EXPECT_TRUE(tracks.read && std::abs(tracks.seconds - 1.0) < 0.1) << name << " " << tracks.seconds;
  }
  // A file that is no video has no tracks; a missing one is unread.
  const TrackSummary text = ParseTrackSummary(library->InformTracks(SamplePath("not media.avi")));
  EXPECT_EQ(text.video_tracks + text.audio_tracks, 0);
  EXPECT_FALSE(ParseTrackSummary(library->InformTracks(SamplePath("nothing here.mp4"))).read);
}

}  // namespace
}  // namespace clipvane
