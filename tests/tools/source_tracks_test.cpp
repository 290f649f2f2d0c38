// What the MP4 check reads of a source and of the MP4: how long a stream plays whose
// timestamps start again, and whether the sound begins in the same place after the
// first picture. (Real files through the check: tests/e2e.)
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "source_tracks.h"

namespace clipvane::tools {
namespace {

// Runs of packets, each (from, step, count): `count` packets `step` apart from `from`,
// each lasting `step`.
std::vector<PacketTime> Runs(std::initializer_list<std::tuple<double, double, int>> runs) {
  std::vector<PacketTime> packets;
  for (const auto& [from, step, count] : runs)
    for (int i = 0; i < count; ++i) packets.push_back({from + i * step, step});
  return packets;
}

// (Transport and program streams joined end to end: real files in tests/e2e.)
TEST(SegmentedLength, SumsTheRunsOfSteadyTimestamps) {
  // Pictures shown in another order than stored: each three steps on, two back.
  std::vector<PacketTime> reordered;
  for (int i = 0; i < 30; ++i) reordered.push_back({(i % 3 == 0 ? i + 2 : i - 1) * 0.04 + 1, 0.04});
  const std::tuple<const char*, std::vector<PacketTime>, double> cases[] = {
      {"steady", Runs({{1.4, 0.04, 75}}), 3.0},
      {"a later recording after a pause", Runs({{0, 0.04, 25}, {100, 0.04, 25}}), 2.0},
      {"a short gap is played", Runs({{0, 0.04, 25}, {3, 0.04, 25}}), 4.0},
      {"lengths unknown", {{0, 0}, {0.5, 0}, {1, 0}, {1.5, 0}}, 2.0},
      {"reordered", reordered, 1.2},
      {"nothing", {}, 0.0}};
  for (const auto& [what, packets, seconds] : cases) EXPECT_NEAR(SegmentedLength(packets), seconds, 1e-6) << what;
}

// ffprobe's report of a stream, in its default writer's lines.
std::string Stream(int index, const std::string& kind, const std::string& fields) {
  return "[STREAM]\nindex=" + std::to_string(index) + "\ncodec_type=" + kind + "\n" + fields + "[/STREAM]\n";
}

// What was converted: the first picture and the chosen sound, as long as their
// container says they are, counted from the first picture. (A subtitle or a second
// sound track that runs on, and the second one chosen: real files through the check in
// tests/e2e.)
TEST(ReadConvertedSource, TakesThePictureAndTheChosenSoundAsTheirContainerTellsThem) {
  const std::string picture = Stream(0, "video", "start_time=1.0\nduration=20.0\n");
  const std::tuple<const char*, std::string, double> cases[] = {
      {"sound 2 s late that runs on", picture + Stream(1, "audio", "start_time=3.0\nduration=20.0\n"), 22.0},
      {"an AVI cut short counts its frames",
       Stream(0, "video", "start_time=1.0\nduration=1.2\navg_frame_rate=25/1\nnb_frames=76\n"), 3.04},
      {"Matroska's tag says where a track ends",
       Stream(0, "video", "start_time=1.0\nduration=N/A\nTAG:DURATION=00:00:21.000000000\n") +
           Stream(1, "audio", "start_time=3.0\nduration=N/A\nTAG:DURATION=00:00:23.000000000\n"),
       22.0},
      {"a transport stream's program and side data",
       "[PROGRAM]\n" + Stream(0, "video", "duration=99.0\n") + Stream(1, "audio", "duration=99.0\n") + "[/PROGRAM]\n" +
           Stream(0, "video", "start_time=1.0\n[SIDE_DATA]\n[/SIDE_DATA]\nduration=20.0\n") +
           Stream(1, "audio", "start_time=1.0\nduration=21.0\n"),
       21.0},
      {"no picture", Stream(0, "audio", "duration=20.0\n"), 0.0}};
  for (const auto& [what, streams, seconds] : cases) {
    const std::string report = streams + "[FORMAT]\nstart_time=1.000000\nduration=60.000000\n[/FORMAT]\n";
    EXPECT_NEAR(ReadConvertedSource(report, "", PacketSpan::kWhole, 0).Seconds(), seconds, 1e-6) << what;
  }
}

// Levels from `first` on: stretches of (seconds, dB), in 10 ms steps.
SoundLevels Levels(double first, std::initializer_list<std::pair<double, double>> stretches) {
  SoundLevels levels;
  levels.first = first;
  for (const auto& [seconds, db] : stretches)
    levels.peak_db.resize(levels.peak_db.size() + std::lround(seconds / SoundLevels::kStep), db);
  return levels;
}
constexpr double kNone = -INFINITY;

// (Late sound whose silence the MP4 keeps, or lost: real files in tests/e2e.)
TEST(JudgeSoundStart, HoldsTheMp4ToWhereTheSourcesSoundBeginsAfterItsFirstPicture) {
  // The source's sound, 2 s after its first picture, loud at once.
  const SoundLevels late = Levels(2, {{5, -10}});
  // What, the source's and the MP4's sound, whether they are compared and agree.
  const std::tuple<const char*, SoundLevels, SoundLevels, bool, bool> cases[] = {
      {"too much silence", late, Levels(0, {{2.3, kNone}, {5, -10}}), true, false},
      {"AAC's pre-echo before a sharp start", late, Levels(0, {{1.95, kNone}, {0.05, -55}, {5, -10}}), true, true},
      {"a noise floor before the sound", Levels(0, {{1, -65}, {5, -10}}), Levels(0, {{1, -62}, {5, -11}}), true, true},
      {"a quiet opening, normalised", Levels(0, {{1, -50}, {5, -6}}), Levels(0, {{1, -30}, {5, -6}}), true, true},
      {"a quiet opening lost", Levels(0, {{1, -50}, {5, -6}}), Levels(0, {{1.5, kNone}, {5, -6}}), true, false},
      {"early sound cut at the first picture", Levels(0, {{1, -10}}), Levels(0, {{1, -10}}), true, true},
      {"a source without sound to hear", Levels(0, {{5, -80}}), Levels(0, {{5, kNone}}), false, true},
      {"no sound at all", Levels(0, {}), Levels(0, {{5, kNone}}), false, true}};
  for (const auto& [what, source, mp4, compared, agrees] : cases) {
    const SoundStartVerdict verdict = JudgeSoundStart(source, mp4);
    EXPECT_EQ(std::pair(verdict.compared, verdict.agrees), std::pair(compared, agrees)) << what;
  }
}

}  // namespace
}  // namespace clipvane::tools
