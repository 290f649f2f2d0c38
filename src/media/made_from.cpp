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

std::size_t OutputOwner(const std::vector<std::string>& sharing, const std::optional<std::string>& recorded,
                        PathStyle style) {
  if (recorded)
    for (std::size_t i = 0; i < sharing.size(); ++i)
      if (SamePath(sharing[i], *recorded, style)) return i;
  return 0;
}

bool ConvertedHere(const std::string& video, bool mp4_exists, const std::optional<std::string>& recorded,
                   std::size_t listed_with_that_mp4, PathStyle style) {
  if (!mp4_exists) return false;
  if (recorded) return SamePath(video, *recorded, style);
  return listed_with_that_mp4 <= 1;
}

}  // namespace clipvane
