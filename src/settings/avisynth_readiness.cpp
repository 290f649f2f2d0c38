#include "settings/avisynth_readiness.h"

#include "common/workspace.h"

namespace clipvane {

std::string FindAviSynthPluginDir(AviSynthSystem& system, PathStyle style) {
  std::string folder = system.RegisteredPluginDir();
  if (!folder.empty() && folder.back() != Separator(style)) folder += Separator(style);
  return folder;
}

bool MakeAviSynthReady(AviSynthSystem& system, const Workspace& workspace, std::string& plugin_dir,
                       const std::function<bool()>& agree_to_install) {
  const std::string bin = workspace.Bin() + Separator(workspace.Style());
  plugin_dir = FindAviSynthPluginDir(system, workspace.Style());
  if (system.EncoderDrawsSsa(bin)) return true;
  if (plugin_dir.empty() || !system.FileExists(plugin_dir + "DirectShowSource.dll")) {
    // Only an installer that is there is offered.
    const std::string installer = bin + "Avisynth_257.exe";
    if (!system.FileExists(installer) || !agree_to_install()) return false;
    system.RunAndWait(installer);
    plugin_dir = FindAviSynthPluginDir(system, workspace.Style());
    if (plugin_dir.empty() || !system.FolderExists(plugin_dir)) return false;
  }
  system.CopyFileIfAbsent(bin + "vsfilter.dll", plugin_dir + "vsfilter.dll");
  return true;
}

}  // namespace clipvane
