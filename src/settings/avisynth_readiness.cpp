#include "settings/avisynth_readiness.h"

#include "common/workspace.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"

namespace clipvane {

std::string FindAviSynthPluginDir(AviSynthSystem& system) {
  std::string folder = system.RegisteredPluginDir();
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

std::string AviSynthQuestion() {
  return Utf8ToAnsi(
      u8"컬러태그 자막 적용을 위해서는 AviSynth를 설치해야 합니다.\r\r"
      u8"지금 설치 하시겠습니까?\r\r"
      u8"* AviSynth 홈페이지  http://avisynth.nl\r\r"
      u8"(컬러태크 적용시 인코딩 속도는 다소 느릴 수 있습니다.)");
}

bool MakeAviSynthReady(AviSynthSystem& system, UserNotifier& notifier, const Workspace& workspace,
                       std::string& plugin_dir) {
  plugin_dir = FindAviSynthPluginDir(system);
  if (plugin_dir.empty() || !system.FileExists(plugin_dir + "DirectShowSource.dll")) {
    const MessageAnswer answer =
        notifier.ShowMessage(AviSynthQuestion(), Utf8ToAnsi(u8"알림"), MessageIcon::kNone, MessageButtons::kYesNo);
    if (answer != MessageAnswer::kYes) return false;
    system.RunAndWait(workspace.Bin() + Separator(workspace.Style()) + "Avisynth_257.exe");
    plugin_dir = FindAviSynthPluginDir(system);
    if (plugin_dir.empty() || !system.FolderExists(plugin_dir)) return false;
  }
  system.CopyFileIfAbsent(workspace.Bin() + Separator(workspace.Style()) + "vsfilter.dll", plugin_dir + "vsfilter.dll");
  return true;
}

}  // namespace clipvane
