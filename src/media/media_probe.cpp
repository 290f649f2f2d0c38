#include "media/media_probe.h"

#include <utility>

#include "media/mediainfo_library.h"
#include "media/mediainfo_report.h"
#include "media/video_list.h"
#include "platform/file_system.h"
#include "platform/status_line.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"

namespace clipvane {

std::string ProbeFailureNote() { return Utf8ToAnsi(u8" - 동영상 정보를 구하지 못했습니다."); }

MediaProbe::MediaProbe(MediaInfoLibrary& library, const FileSystem& files, StatusLine& status,
                       UserNotifier& notifier, PathStyle style)
    : library_(library), files_(files), status_(status), notifier_(notifier), style_(style) {}

std::string MediaProbe::FileName(const std::string& path) const {
  return FileNamePart(path, style_);
}

VideoEntry MediaProbe::ProbeVideo(VideoList& list, std::size_t row) {
  if (list.Row(row).entry.probed) return list.Row(row).entry;
  // Marked first, so that a failed probe is never tried again.
  list.MarkProbed(row);
  const std::string path = list.EntryPath(row);
  if (!files_.Exists(path)) return list.Row(row).entry;

  status_.SetStatusText("checking " + FileName(path));
  MediaFacts facts = RunMediaInfo(path);
  const bool failed = facts.height == 0;
  list.StoreFacts(row, std::move(facts));
  if (failed) list.AppendToTitle(row, ProbeFailureNote());
  status_.SetStatusText("checked " + FileName(path));
  return list.Row(row).entry;
}

MediaFacts MediaProbe::RunMediaInfo(const std::string& path) {
  const std::string problem = library_.Problem();
  if (!problem.empty() && !problem_told_) {
    problem_told_ = true;
    notifier_.ShowMessage(problem, Utf8ToAnsi(u8"경고"), MessageIcon::kWarning, MessageButtons::kOk);
  }
  const std::string report = library_.Inform(path);
  status_.SetStatusText("checked " + FileName(path));
  return ParseMediaInfoReport(report);
}

}  // namespace clipvane
