#include "media/list_commands.h"

#include "media/media_probe.h"
#include "media/video_list.h"

namespace clipvane {

void RefreshList(VideoList& list, MediaProbe& probe, const Progress& progress) {
  list.LookAgain();
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    probe.ProbeVideo(list, row, progress);
    list.NameFromDisk(row);
  }
}

void ClearEncoded(VideoList& list) {
  list.RemoveRowsWhere([](const VideoRow& row) { return row.encoded_marker == "*"; });
}

void DeleteSelected(VideoList& list) {
  list.RemoveRowsWhere([](const VideoRow& row) { return row.selected; });
  if (list.FocusedRow()) list.SetSelected(*list.FocusedRow(), true);
}

}  // namespace clipvane
