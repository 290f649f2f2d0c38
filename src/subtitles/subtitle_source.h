#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/path_style.h"
#include "subtitles/ssa_style.h"

namespace clipvane {

class ColourTable;
class FileSystem;

using IsFileTest = std::function<bool(const std::string& path)>;

// One kind of subtitle a video may have: where it is found, how it is read, and what
// each route makes of it. Every question that depends on the kind is asked here, so a
// new kind (another file beside the video, a track inside it) is one more
// implementation in SubtitleSources, and no caller changes.
class SubtitleSource {
 public:
  virtual ~SubtitleSource() = default;

  // The video's subtitle of this kind, or empty when `is_file` holds for none.
  virtual std::string FindFor(const std::string& video_path, PathStyle style, const IsFileTest& is_file) const = 0;
  // Whether `path` names a subtitle of this kind, or the plain route's copy of one.
  virtual bool Names(const std::string& path, PathStyle style) const = 0;
  // Whether the subtitle found at `path` can be read as a whole: not a folder, nor a
  // pipe that would never end.
  virtual bool Readable(const FileSystem& files, const std::string& path) const = 0;
  // The bytes of the subtitle found at `path`; none when it cannot be read.
  virtual std::optional<std::string> Read(const FileSystem& files, const std::string& path) const = 0;

  // The classes (languages) the file offers to choose from, in file order; none for a
  // kind that has no such thing.
  virtual std::vector<std::string> Classes(const std::string& bytes) const = 0;
  // The coloured route's SSA script of the file, titled `title`. Of a file that has
  // classes only `chosen_class` is kept, or its Korean class for an empty one.
  virtual std::vector<std::string> SsaLines(const std::string& bytes, const std::string& title, const SsaStyle& style,
                                            const ColourTable& colours, const std::string& chosen_class) const = 0;
  // The plain route's copy, which the encoder reads: UTF-8 with CR LF lines, of
  // `chosen_class` only as on the coloured route.
  virtual std::string PlainCopy(const std::string& bytes, const std::string& chosen_class) const = 0;
  // How the copy ends: the encoder picks its reader by it.
  virtual std::string CopyExtension() const = 0;
  // Whether the text is HTML, where "&nbsp;" is a blank; readers of other kinds show it
  // as it is written.
  virtual bool IsHtml() const = 0;
};

// A subtitle kept in a file beside the video, named like the video with the kind's
// own extension (".smi"), which its copy keeps.
class SubtitleFileBeside : public SubtitleSource {
 public:
  explicit SubtitleFileBeside(std::string extension) : extension_(std::move(extension)) {}

  std::string FindFor(const std::string& video_path, PathStyle style, const IsFileTest& is_file) const override;
  bool Names(const std::string& path, PathStyle style) const override;
  bool Readable(const FileSystem& files, const std::string& path) const override;
  std::optional<std::string> Read(const FileSystem& files, const std::string& path) const override;
  std::string CopyExtension() const override { return extension_; }

 private:
  std::string extension_;
};

// Every kind, in the order a video's subtitle is looked for: SAMI, then SRT.
const std::vector<const SubtitleSource*>& SubtitleSources();

// A video's subtitle: where it was found, and its kind; no kind when there is none.
struct FoundSubtitle {
  std::string path;
  const SubtitleSource* source = nullptr;
  explicit operator bool() const { return source != nullptr; }
};

// The video's subtitle of the first kind that has one.
FoundSubtitle FindSubtitle(const std::string& video_path, PathStyle style, const IsFileTest& is_file);

// Whether `path` names a subtitle of some kind: a file that goes with its video.
bool IsSubtitleFile(const std::string& path, PathStyle style);

// The subtitle at `path`, of the kind its name says; a name of no kind is taken for
// the first kind, as the encoder has always read any file it was given.
FoundSubtitle SubtitleAt(const std::string& path, PathStyle style);

}  // namespace clipvane
