#include "subtitles/subtitle_source.h"

#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "subtitles/ass_subtitle.h"
#include "subtitles/sami_subtitle.h"
#include "subtitles/srt_subtitle.h"
#include "subtitles/subtitle_in_video.h"

namespace clipvane {

std::string SubtitleFileBeside::FindFor(const std::string& video_path, PathStyle style, const IsFileTest& is_file,
                                        const std::vector<MediaTrack>&) const {
  const std::string path = WithoutExtension(video_path, style) + extension_;
  return is_file(path) ? path : std::string();
}

bool SubtitleFileBeside::Names(const std::string& path, PathStyle style) const {
  return AsciiLower(ExtensionOf(path, style)) == extension_;
}

bool SubtitleFileBeside::Readable(const FileSystem& files, const std::string& path) const {
  return files.Stamp(path).exists;  // a file's, never a folder's
}

std::optional<std::string> SubtitleFileBeside::Read(const FileSystem& files, const std::string& path) const {
  return files.ReadWholeFile(path);
}

const std::vector<const SubtitleSource*>& SubtitleSources() {
  static const SamiSubtitle sami;
  static const SrtSubtitle srt;
  static const AssSubtitle ass(".ass"), ssa(".ssa");
  static const SubtitleInVideo inside;
  static const std::vector<const SubtitleSource*> sources{&sami, &srt, &ass, &ssa, &inside};
  return sources;
}

FoundSubtitle FindSubtitle(const std::string& video_path, PathStyle style, const IsFileTest& is_file,
                           const std::vector<MediaTrack>& tracks) {
  for (const SubtitleSource* source : SubtitleSources()) {
    std::string path = source->FindFor(video_path, style, is_file, tracks);
    if (!path.empty()) return {std::move(path), source, tracks};
  }
  return {};
}

bool IsSubtitleFile(const std::string& path, PathStyle style) {
  for (const SubtitleSource* source : SubtitleSources())
    if (source->Names(path, style)) return true;
  return false;
}

FoundSubtitle SubtitleAt(const std::string& path, PathStyle style) {
  for (const SubtitleSource* source : SubtitleSources())
    if (source->Names(path, style)) return {path, source, {}};
  return {path, SubtitleSources().front(), {}};
}

}  // namespace clipvane
