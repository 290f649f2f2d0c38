#pragma once
#include "common/progress.h"

namespace clipvane {

class MediaProbe;
class VideoList;

// The list commands of the context menu. None of them touches a file on disk.

// "새로 고침": probes the rows not probed yet and sets every encoded marker afresh
// from the disk. The subtitle column is left as it was.
void RefreshList(VideoList& list, MediaProbe& probe, const Progress& progress = {});

// "인코딩된 동영상 목록 지우기": removes the rows marked "*", as last computed.
void ClearEncoded(VideoList& list);

// "삭제": removes the selected rows, then selects the row that has the keyboard
// focus afterwards, if any.
void DeleteSelected(VideoList& list);

}  // namespace clipvane
