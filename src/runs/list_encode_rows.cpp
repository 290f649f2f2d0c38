#include "runs/list_encode_rows.h"

#include "media/media_probe.h"
#include "media/video_list.h"

namespace clipvane {

std::size_t ListEncodeRows::RowCount() const { return list_.RowCount(); }

bool ListEncodeRows::IsSelected(std::size_t row) const { return list_.Row(row).selected; }

std::string ListEncodeRows::Path(std::size_t row) const { return list_.EntryPath(row); }

JobTarget ListEncodeRows::Target(std::size_t row) const {
  // Named afresh from the disk (once a command, Session's LookAgain): another command
  // may have made an MP4 of that name since.
  list_.NameFromDisk(row);
  return list_.Row(row).target;
}

std::string ListEncodeRows::ProbedPath(std::size_t row, MediaFacts& facts, const Progress& progress) {
  const VideoEntry entry = probe_.ProbeVideo(list_, row, progress);
  facts = entry.facts;
  return entry.path;
}

}  // namespace clipvane
