#include "app/win32/gui_services_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <vector>

#include "platform/child_processes.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"
#include "platform/win32/process_handles_win32.h"

namespace clipvane {
namespace {

class ShellOpener final : public DocumentOpener {
 public:
  std::optional<NotOpened> Open(const std::string& target) override {
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", target.c_str(), "", "", SW_SHOW));
    if (result > 32) return std::nullopt;
    // No program for the kind of file: the box says so in its own words.
    if (result == SE_ERR_NOASSOC || result == SE_ERR_ASSOCINCOMPLETE) return NotOpened{};
    return NotOpened{Utf8ToAnsi(SystemMessage(static_cast<DWORD>(result)))};
  }
};

// The dialogs of the common dialog library and the shell; paths the ANSI code page
// cannot hold are handed back apart, as a drop's are.
class ShellItemPicker final : public ItemPicker {
 public:
  PickedItems PickFiles(const FilesDialogTexts& texts) override {
    std::wstring patterns;
    for (const std::string& extension : texts.extensions)
      patterns += (patterns.empty() ? L"*." : L";*.") + AnsiToWide(extension);
    // Name, pattern, name, pattern, each ended by a NUL, and one NUL more.
    std::wstring filter = AnsiToWide(texts.videos) + L" (" + patterns + L")" + L'\0' + patterns + L'\0' +
                          AnsiToWide(texts.all_files) + L" (*.*)" + L'\0' + L"*.*" + L'\0';
    const std::wstring title = AnsiToWide(texts.title);
    // Room for a few thousand names picked at once.
    std::wstring names(1 << 18, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    PickedItems picked;
    const bool chosen = GetOpenFileNameW(&dialog);
    Reactivate(dialog.hwndOwner);
    if (!chosen) return picked;
    // One file: its full path. Several: the folder, then each name, NUL after each and
    // one NUL more.
    std::vector<std::wstring> parts;
    for (const wchar_t* part = names.c_str(); *part; part += wcslen(part) + 1) parts.emplace_back(part);
    if (parts.size() == 1) Hand(parts[0], picked);
    const std::wstring folder = parts.empty() ? L"" : parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i)
      Hand(folder + (!folder.empty() && folder.back() == L'\\' ? L"" : L"\\") + parts[i], picked);
    return picked;
  }

  PickedItems PickFolder(const std::string& title) override {
    PickedItems picked;
    const std::wstring caption = AnsiToWide(title);
    std::wstring folder;
    const HWND owner = GetActiveWindow();
    if (!PickWithFileDialog(caption, folder)) folder = PickWithBrowser(caption);
    Reactivate(owner);
    if (!folder.empty()) Hand(folder, picked);
    return picked;
  }

 private:
  // The window the dialog was over takes the keyboard again, so that Esc reaches it
  // while what was picked is added.
  static void Reactivate(HWND owner) {
    if (owner && IsWindow(owner)) SetActiveWindow(owner);
  }

  static void Hand(const std::wstring& path, PickedItems& picked) {
    if (const std::optional<std::string> ansi = WideToAnsiExactly(path)) picked.paths.push_back(*ansi);
    else picked.unlistable.push_back(WideToUtf8(path));
  }

  // The folder dialog of Windows Vista and later; false when there is none, so that the
  // older one is shown instead. A cancel is a choice: true, with no folder.
  static bool PickWithFileDialog(const std::wstring& caption, std::wstring& folder) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    IFileOpenDialog* dialog = nullptr;
    bool shown = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                   reinterpret_cast<void**>(&dialog)))) {
      FILEOPENDIALOGOPTIONS options = 0;
      dialog->GetOptions(&options);
      dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
      dialog->SetTitle(caption.c_str());
      const HRESULT result = dialog->Show(GetActiveWindow());
      shown = SUCCEEDED(result) || result == HRESULT_FROM_WIN32(ERROR_CANCELLED);
      IShellItem* item = nullptr;
      if (SUCCEEDED(result) && SUCCEEDED(dialog->GetResult(&item))) {
        wchar_t* path = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) folder = path;
        CoTaskMemFree(path);
        item->Release();
      }
      dialog->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return shown;
  }

  static std::wstring PickWithBrowser(const std::wstring& caption) {
    BROWSEINFOW browse{};
    browse.hwndOwner = GetActiveWindow();
    browse.lpszTitle = caption.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return {};
    wchar_t path[MAX_PATH] = {};
    const bool known = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    return known ? path : L"";
  }
};

class MessageBoxes final : public Dialogs {
 public:
  void Tell(const Notice& notice) override { Show(notice); }
  bool Ask(const Notice& notice) override { return Show(notice) == IDYES; }
  // A task dialog with the buttons' own captions (common controls 6, which the
  // manifest asks for); Escape and the close button give the last one.
  int Choose(const Notice& notice, const std::vector<std::string>& buttons) override {
    using TaskDialogCall = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    const auto task_dialog = reinterpret_cast<TaskDialogCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "TaskDialogIndirect")));
    if (buttons.empty()) return -1;
    if (!task_dialog) return ChooseInMessageBox(notice, buttons);
    std::vector<std::wstring> captions;
    for (const std::string& button : buttons) captions.push_back(AnsiToWide(button));
    std::vector<TASKDIALOG_BUTTON> items;
    for (std::size_t i = 0; i < captions.size(); ++i) items.push_back({static_cast<int>(100 + i), captions[i].c_str()});
    std::wstring text = AnsiToWide(notice.text);
    for (wchar_t& c : text)
      if (c == L'\r') c = L'\n';
    const std::wstring caption = AnsiToWide(notice.caption);
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = GetActiveWindow();
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = caption.c_str();
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(items.size());
    config.pButtons = items.data();
    config.nDefaultButton = 100;
    int chosen = 0;
    if (FAILED(task_dialog(&config, &chosen, nullptr, nullptr))) return ChooseInMessageBox(notice, buttons);
    if (chosen == IDCANCEL) return static_cast<int>(buttons.size()) - 1;
    return chosen >= 100 && chosen < 100 + static_cast<int>(buttons.size()) ? chosen - 100 : -1;
  }

 private:
  // Without task dialogs: Yes, No and Cancel stand for up to three answers, which the
  // text names.
  static int ChooseInMessageBox(const Notice& notice, const std::vector<std::string>& buttons) {
    static const char* const kKeys[] = {u8"예", u8"아니요", u8"취소"};
    static const int kResults[] = {IDYES, IDNO, IDCANCEL};
    const std::size_t count = std::min<std::size_t>(buttons.size(), 3);
    std::string text = notice.text + "\r";
    for (std::size_t i = 0; i < count; ++i) text += "\r" + Utf8ToAnsi(kKeys[i]) + ": " + buttons[i];
    const UINT style = count == 3 ? MB_YESNOCANCEL : count == 2 ? MB_YESNO : MB_OK;
    const int result = MessageBoxW(GetActiveWindow(), AnsiToWide(text).c_str(), AnsiToWide(notice.caption).c_str(),
                                   style | MB_ICONQUESTION);
    for (std::size_t i = 0; i < count; ++i)
      if (result == kResults[i]) return static_cast<int>(i);
    return static_cast<int>(count) - 1;
  }
  static int Show(const Notice& notice) {
    static const UINT kIcons[] = {0, MB_ICONWARNING, MB_ICONERROR};  // by Notice::Icon
    const UINT style = (notice.question ? MB_YESNO : MB_OK) | kIcons[static_cast<int>(notice.icon)];
    const std::wstring text = notice.utf8 ? Utf8ToWide(notice.text) : AnsiToWide(notice.text);
    return MessageBoxW(GetActiveWindow(), text.c_str(), AnsiToWide(notice.caption).c_str(), style);
  }
};

// A balloon from an icon in the notification area, which stays there until the
// program ends, over a hidden window of its own.
class TrayNotifier final : public DesktopNotifier {
 public:
  ~TrayNotifier() override {
    if (added_) Shell_NotifyIconW(NIM_DELETE, &icon_);
    if (window_) DestroyWindow(window_);
  }
  void Notify(const std::string& title, const std::string& body) override {
    if (!window_) {
      window_ =
          CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
      icon_.cbSize = sizeof icon_;
      icon_.hWnd = window_;
      icon_.uID = 1;
      icon_.uFlags = NIF_ICON | NIF_TIP;
      icon_.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
      if (!icon_.hIcon) icon_.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
      wcsncpy(icon_.szTip, L"Clipvane", ARRAYSIZE(icon_.szTip) - 1);
      added_ = Shell_NotifyIconW(NIM_ADD, &icon_) != FALSE;
    }
    icon_.uFlags = NIF_INFO;
    icon_.dwInfoFlags = NIIF_INFO;
    wcsncpy(icon_.szInfoTitle, AnsiToWide(title).c_str(), ARRAYSIZE(icon_.szInfoTitle) - 1);
    wcsncpy(icon_.szInfo, AnsiToWide(body).c_str(), ARRAYSIZE(icon_.szInfo) - 1);
    Shell_NotifyIconW(added_ ? NIM_MODIFY : NIM_ADD, &icon_);
  }

 private:
  HWND window_ = nullptr;
  NOTIFYICONDATAW icon_{};
  bool added_ = false;
};

// A string value of an existing key under HKEY_LOCAL_MACHINE; the key is opened for
// reading only and never created.
std::string ReadRegistryString(const char* key_path, const char* value_name, const std::string& fallback) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_path, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  DWORD type = 0;
  DWORD size = 0;
  std::string text;
  if (RegQueryValueExA(key, value_name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
      std::vector<char> buffer(size + 1, '\0');
      if (RegQueryValueExA(key, value_name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) ==
          ERROR_SUCCESS)
        text = buffer.data();
      else text = fallback;
    } else {
      text = fallback;
    }
  }
  RegCloseKey(key);
  return text;
}

class RegistryAviSynth final : public AviSynthSystem {
 public:
  std::string RegisteredPluginDir() override { return ReadRegistryString("SOFTWARE\\AviSynth", "plugindir2_5", ""); }
  bool FileExists(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  bool FolderExists(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  void CopyFileIfAbsent(const std::string& from, const std::string& to) override {
    CopyFileA(from.c_str(), to.c_str(), TRUE);
  }
  // An installer that does not start ends as one that failed.
  int RunAndWait(const std::string& path) override {
    const auto status = RunChild({AnsiToUtf8(path)});
    return status ? *status : 127;
  }
  // The release's encoder runs the FFmpeg beside it, which draws SSA through libass; an
  // encoder that needs AviSynth comes without one.
  bool EncoderDrawsSsa(const std::string& bin) override { return FileExists(bin + "ffmpeg.exe"); }
};

int CALLBACK AddFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM families) {
  reinterpret_cast<std::vector<std::string>*>(families)->push_back(WideToAnsi(font->lfFaceName));
  return 1;
}

class SystemFonts final : public InstalledFonts {
 public:
  std::vector<std::string> Families() override {
    std::vector<std::string> families;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, AddFamily, reinterpret_cast<LPARAM>(&families), 0);
    ReleaseDC(nullptr, screen);
    return families;
  }

  std::vector<FontRegistryValue> RegistryValues() override {
    std::vector<FontRegistryValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
      return values;
    for (DWORD index = 0;; ++index) {
      char name[16384];
      BYTE data[4096];
      DWORD name_size = sizeof name;
      DWORD data_size = sizeof data - 1;
      DWORD type = 0;
      const LONG result = RegEnumValueA(key, index, name, &name_size, nullptr, &type, data, &data_size);
      if (result == ERROR_NO_MORE_ITEMS) break;
      if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) continue;
      data[data_size] = 0;
      values.push_back({std::string(name, name_size), reinterpret_cast<const char*>(data)});
    }
    RegCloseKey(key);
    return values;
  }
};

}  // namespace

DocumentOpener& NativeDocumentOpener() {
  static ShellOpener opener;
  return opener;
}

ItemPicker& NativeItemPicker() {
  static ShellItemPicker picker;
  return picker;
}

Dialogs& NativeDialogs() {
  static MessageBoxes dialogs;
  return dialogs;
}

DesktopNotifier& NativeNotifier() {
  static TrayNotifier notifier;
  return notifier;
}

AviSynthSystem& NativeAviSynthSystem() {
  static RegistryAviSynth system;
  return system;
}

InstalledFonts& NativeInstalledFonts() {
  static SystemFonts fonts;
  return fonts;
}

void RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, UINT style) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  if (GetClassInfoExW(instance, name, &window_class)) return;
  window_class.style = style;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  RegisterClassExW(&window_class);
}

HFONT MakeKoreanFont(const wchar_t* face, int pixels, bool bold) {
  return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, HANGEUL_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

std::string ControlText(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), length + 1)));
  return WideToAnsi(text);
}

void SetControlText(HWND control, const std::string& ansi) { SetWindowTextW(control, AnsiToWide(ansi).c_str()); }

void AddToolTip(HWND tooltips, HWND control, const std::string& ansi_hint) {
  if (ansi_hint.empty()) return;
  std::wstring text = AnsiToWide(ansi_hint);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  SendMessageW(tooltips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltips, TTM_SETMAXTIPWIDTH, 0, 400);
}

void FillDropDown(HWND combo, const std::vector<std::string>& ansi_items, int selection) {
  SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : ansi_items)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AnsiToWide(item).c_str()));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(combo, nullptr, TRUE);
}

}  // namespace clipvane
