#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/media_track.h"
#include "common/path_style.h"
#include "subtitles/ssa_style.h"

namespace clipvane {

class ColourTable;
class FileSystem;
struct FoundSubtitle;

using IsFileTest = std::function<bool(const std::string& path)>;

// One kind of subtitle a video may have: where it is found, how it is read, and what
// each route makes of it. Every question that depends on the kind is asked here, so a
// new kind (another file beside the video, a track inside it) is one more
// implementation in SubtitleSources, and no caller changes.
class SubtitleSource {
 public:
  virtual ~SubtitleSource() = default;

  // The video's subtitle of this kind, or empty when `is_file` holds for none; `tracks`
  // are the subtitle tracks the probe found inside the video (none before it).
  virtual std::string FindFor(const std::string& video_path, PathStyle style, const IsFileTest& is_file,
                              const std::vector<MediaTrack>& tracks) const = 0;
  // Whether `path` names a subtitle of this kind, or the plain route's copy of one.
  virtual bool Names(const std::string& path, PathStyle style) const = 0;
  // Whether the subtitle found at `path` can be read as a whole: not a folder, nor a
  // pipe that would never end.
  virtual bool Readable(const FileSystem& files, const std::string& path) const = 0;
  // The bytes of the subtitle found at `path`; none when it cannot be read.
  virtual std::optional<std::string> Read(const FileSystem& files, const std::string& path) const = 0;

  // The classes (languages) the subtitle found offers to choose from, in its order, as
  // the "subtitleclass" setting names them; none for a kind that has no such thing.
  // `bytes` are what Read gave.
  virtual std::vector<std::string> Classes(const FoundSubtitle& found, const std::string& bytes) const = 0;
  // The coloured route's SSA script of the file, titled `title`. Of a file that has
  // classes only `chosen_class` is kept, or its Korean class for an empty one.
  virtual std::vector<std::string> SsaLines(const std::string& bytes, const std::string& title, const SsaStyle& style,
                                            const ColourTable& colours, const std::string& chosen_class) const = 0;
  // The plain route's copy, which the encoder reads: UTF-8 with CR LF lines, of
  // `chosen_class` only as on the coloured route.
  virtual std::string PlainCopy(const std::string& bytes, const std::string& chosen_class) const = 0;
  // How the copy ends: the encoder picks its reader by it. Empty for a subtitle drawn
  // from the video itself, which has no copy.
  virtual std::string CopyExtension() const = 0;
  // Whether the text is HTML, where "&nbsp;" is a blank; readers of other kinds show it
  // as it is written.
  virtual bool IsHtml() const = 0;
  // Whether the copy carries styles of its own (fonts, colours, places), which the
  // encoder draws as they are rather than in the plain route's white letters.
  virtual bool KeepsOwnStyles() const = 0;
  // The video's own subtitle track the encoder draws (its -sid), for `chosen_class`;
  // none for a subtitle the program copies for it.
  virtual std::optional<int> TrackToDraw(const FoundSubtitle& found, const std::string& chosen_class) const = 0;
};

// A subtitle kept in a file beside the video, named like the video with the kind's
// own extension (".smi"), which its copy keeps.
class SubtitleFileBeside : public SubtitleSource {
 public:
  explicit SubtitleFileBeside(std::string extension) : extension_(std::move(extension)) {}

  std::string FindFor(const std::string& video_path, PathStyle style, const IsFileTest& is_file,
                      const std::vector<MediaTrack>& tracks) const override;
  bool Names(const std::string& path, PathStyle style) const override;
  bool Readable(const FileSystem& files, const std::string& path) const override;
  std::optional<std::string> Read(const FileSystem& files, const std::string& path) const override;
  std::string CopyExtension() const override { return extension_; }
  std::optional<int> TrackToDraw(const FoundSubtitle&, const std::string&) const override { return std::nullopt; }

 private:
  std::string extension_;
};

// Every kind, in the order a video's subtitle is looked for: a SAMI file beside the
// video, an SRT one, an ASS one, an SSA one, then the video's own tracks.
const std::vector<const SubtitleSource*>& SubtitleSources();

// A video's subtitle: where it was found, and its kind; no kind when there is none.
struct FoundSubtitle {
  std::string path;
  const SubtitleSource* source = nullptr;
  std::vector<MediaTrack> tracks;  // the video's own subtitle tracks, as the search was given them
  explicit operator bool() const { return source != nullptr; }
  // Whether the encoder draws it from the video, with no copy of it written.
  bool DrawnFromVideo() const { return source && source->TrackToDraw(*this, {}).has_value(); }
};

// The video's subtitle of the first kind that has one. `tracks` are the subtitle tracks
// the probe found inside the video; none before it.
FoundSubtitle FindSubtitle(const std::string& video_path, PathStyle style, const IsFileTest& is_file,
                           const std::vector<MediaTrack>& tracks = {});

// Whether `path` names a subtitle of some kind: a file that goes with its video.
bool IsSubtitleFile(const std::string& path, PathStyle style);

// The subtitle at `path`, of the kind its name says; a name of no kind is taken for
// the first kind, as the encoder has always read any file it was given.
FoundSubtitle SubtitleAt(const std::string& path, PathStyle style);

}  // namespace clipvane
