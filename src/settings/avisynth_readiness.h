#pragma once
#include <functional>
#include <string>

#include "common/path_style.h"

namespace clipvane {

class Workspace;

// What the colour-subtitle route needs from the system: the registered AviSynth
// plug-in folder, files, and the installer run.
class AviSynthSystem {
 public:
  virtual ~AviSynthSystem() = default;
  // The registry's "plugindir2_5" of "SOFTWARE\AviSynth", read only; empty when the
  // key or the value is missing.
  virtual std::string RegisteredPluginDir() = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Copies unless `to` exists; the outcome is not reported.
  virtual void CopyFileIfAbsent(const std::string& from, const std::string& to) = 0;
  // Starts the program at `path` (an argument, never parsed as a command line) and
  // waits for its end; its exit code.
  virtual int RunAndWait(const std::string& path) = 0;
  // Whether the encoder in `bin` (with a trailing separator) reads an AviSynth
  // script's video and draws its SSA file itself, as this program's encoder over
  // FFmpeg does; AviSynth is then not needed at all.
  virtual bool EncoderDrawsSsa(const std::string& bin) = 0;
};

// The registered plug-in folder with a trailing separator of `style`, or empty.
std::string FindAviSynthPluginDir(AviSynthSystem& system, PathStyle style);

// Switching the colour route on. With an encoder that draws SSA itself nothing is
// asked, installed or copied. Otherwise: finds AviSynth, runs its installer from bin
// when it is missing, the installer is there and `agree_to_install` says yes, and
// puts vsfilter.dll into its plug-in folder. Sets `plugin_dir` and returns whether
// the colour box stays ticked.
bool MakeAviSynthReady(AviSynthSystem& system, const Workspace& workspace, std::string& plugin_dir,
                       const std::function<bool()>& agree_to_install);

}  // namespace clipvane
