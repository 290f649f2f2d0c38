#include "media/media_probe.h"

#include <utility>

#include "media/mediainfo_report.h"
#include "media/video_list.h"
#include "base/text.h"
#include "common/workspace.h"
#include "platform/child_processes.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace clipvane {

std::string ProbeFailureNote() { return Utf8ToAnsi(u8" - 동영상 정보를 구하지 못했습니다."); }

namespace {

// Larger than any camera's or screen's picture: a size past it is a misread header.
constexpr int kLargestPictureSide = 16384;

bool PlausibleSide(int side) { return side > 0 && side <= kLargestPictureSide; }

}  // namespace

std::optional<std::pair<int, int>> ParseIdentifiedSize(const std::string& output) {
  int width = 0, height = 0;
  for (const std::string& line : NonEmptyLines(output)) {
    const std::string value = TrimBlanks(line.substr(line.find('=') + 1));
    if (line.rfind("ID_VIDEO_WIDTH=", 0) == 0) width = ParseIntegerOr(value, 0);
    if (line.rfind("ID_VIDEO_HEIGHT=", 0) == 0) height = ParseIntegerOr(value, 0);
  }
  if (!PlausibleSide(width) || !PlausibleSide(height)) return std::nullopt;
  return std::pair{width, height};
}

PictureSizeQuestion EncoderIdentifies(const Workspace& workspace) {
  const std::string encoder = workspace.Bin() + Separator(workspace.Style()) + "mencoder" +
                              (workspace.Style() == PathStyle::kWindows ? ".exe" : "");
  return [encoder](const std::string& path) -> std::optional<std::pair<int, int>> {
    // Child arguments are UTF-8; the program's paths are in its own code page.
    const std::optional<std::string> output = CaptureOutput({AnsiToUtf8(encoder), "-identify", AnsiToUtf8(path)});
    return output ? ParseIdentifiedSize(*output) : std::nullopt;
  };
}

MediaProbe::MediaProbe(MediaInfoLibrary& library, const FileSystem& files, PathStyle style,
                       PictureSizeQuestion identify)
    : library_(library), files_(files), style_(style), identify_(std::move(identify)) {}

VideoEntry MediaProbe::ProbeVideo(VideoList& list, std::size_t row, const Progress& progress) {
  if (list.Row(row).entry.probed) return list.Row(row).entry;
  // Marked first, so that a failed probe is never tried again.
  list.MarkProbed(row);
  const std::string path = list.EntryPath(row);
  if (!files_.Exists(path)) return list.Row(row).entry;

  const std::string name = FileNamePart(path, style_);
  Report(progress, ProgressStep::Kind::kChecking, name);
  MediaFacts facts = RunMediaInfo(path);
  const bool failed = facts.height == 0;
  list.StoreFacts(row, std::move(facts));
  if (failed) list.AppendToTitle(row, ProbeFailureNote());
  Report(progress, ProgressStep::Kind::kChecked, name);
  return list.Row(row).entry;
}

MediaFacts MediaProbe::RunMediaInfo(const std::string& path) {
  MediaFacts facts = ParseMediaInfoReport(library_.Inform(path));
  if (!facts.video_section || !identify_ || (PlausibleSide(facts.width) && PlausibleSide(facts.height))) return facts;
  // FFmpeg's reading of the picture, which is what the encoder will decode.
  if (const auto size = identify_(path)) {
    std::tie(facts.width, facts.height) = *size;
    facts.aspect = static_cast<double>(facts.width) / facts.height;
  } else {
    facts.width = facts.height = 0;
    facts.aspect = 0;
  }
  return facts;
}

}  // namespace clipvane
