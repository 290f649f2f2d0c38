#pragma once
#include <string>
#include <vector>

#include "common/progress.h"
#include "media/mediainfo_library.h"

namespace clipvane {

struct AddReport;
struct EncodeResult;
enum class ScriptDialect;

// A box a window shows, as the product has always worded it (ANSI). The models say
// which box; each desktop view draws it with its toolkit.
struct Notice {
  enum class Icon { kNone, kWarning, kError };
  std::string text;
  std::string caption;
  Icon icon = Icon::kNone;
  bool question = false;  // Yes and No instead of OK
  bool utf8 = false;      // the text is UTF-8, for names the ANSI code page cannot hold
  bool operator==(const Notice& other) const {
    return text == other.text && caption == other.caption && icon == other.icon && question == other.question &&
           utf8 == other.utf8;
  }
};

// The boxes of the desktop, modal over the window in front.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void Tell(const Notice& notice) = 0;
  // True for Yes.
  virtual bool Ask(const Notice& notice) = 0;
  // A box with buttons of these captions (ANSI); the index of the one chosen, or -1
  // when the box was closed without a choice.
  virtual int Choose(const Notice& notice, const std::vector<std::string>& buttons) = 0;
};

// What an encode-selection command says, in row order: a vanished video by its path,
// a video that is its own result, a video whose MP4 an earlier one makes, a video
// that cannot be converted (no picture found, or no picture in the file) with why.
std::vector<Notice> SelectionNotices(const EncodeResult& result);

// What a whole-list command says once its scripts are written: the videos that are
// their own results in one box, those whose MP4 an earlier one makes in another, those
// that cannot be converted in a third; with `batch_files_only`, that the scripts are
// written, named by the extension of their `dialect`.
std::vector<Notice> WholeListNotices(const EncodeResult& result, bool batch_files_only, ScriptDialect dialect);

// Dropped files whose names the ANSI code page cannot hold (UTF-8), which the list
// cannot keep: named, so that the user can rename them.
Notice NamesOutsideCodePageNotice(const std::vector<std::string>& utf8_names);

// A folder, log, video or web page the desktop could not open, and why: `reason` in
// the system's words (ANSI), or empty when it gave none, which is when no program is
// there to open it.
Notice NotOpenedNotice(const std::string& target, const std::string& reason);

// The status bar while an add searches a folder: the rows added so far, the folder,
// and how to stop.
std::string SearchingText(const ProgressStep& step);
// The status bar after an add: how many videos it added, how many it found listed
// already, and how many files it left out with the first few of their names.
std::string AddedText(const AddReport& report);

// The 640 frame was asked for on nano/Classic.
Notice WideFrameNotice();
// cbSubtitleSync was ticked by hand.
Notice SubtitleSyncNotice();
// The colour route needs AviSynth, which is missing: install it now?
Notice AviSynthQuestion();
// The options dialog's video extension field names no extensions, or more than them.
Notice VideoExtensionsNotice();
// The options dialog's output folder is no full path.
Notice OutputFolderNotice();
// The first probe found no usable MediaInfo library.
Notice MediaInfoNotice(MediaInfoProblem problem);
// A file the program could not write, as the default error handler shows it.
Notice ErrorNotice(const std::string& what);

}  // namespace clipvane
