#include "media/media_probe.h"

#include <utility>

#include "media/mediainfo_report.h"
#include "media/video_list.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace clipvane {

std::string ProbeFailureNote() { return Utf8ToAnsi(u8" - 동영상 정보를 구하지 못했습니다."); }

MediaProbe::MediaProbe(MediaInfoLibrary& library, const FileSystem& files, PathStyle style)
    : library_(library), files_(files), style_(style) {}

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

MediaFacts MediaProbe::RunMediaInfo(const std::string& path) { return ParseMediaInfoReport(library_.Inform(path)); }

}  // namespace clipvane
