#include "media/made_from.h"

#include "base/text.h"
#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace clipvane {

std::optional<std::string> RecordedSource(const std::string& mp4, const FileSystem& files, PathStyle style) {
  const std::optional<std::string> text = files.ReadWholeFile(SourceRecordPath(mp4, style));
  if (!text) return std::nullopt;
  // One line, in UTF-8 as the tools write every path.
  const std::vector<std::string> lines = NonEmptyLines(*text);
  if (lines.empty()) return std::nullopt;
  return Utf8ToAnsi(lines.front());
}

bool ConvertedHere(const std::string& video, bool mp4_exists, const std::optional<std::string>& recorded,
                   std::size_t listed_of_that_name, PathStyle style) {
  if (!mp4_exists) return false;
  if (recorded) return SamePath(video, *recorded, style);
  return listed_of_that_name <= 1;
}

}  // namespace clipvane
