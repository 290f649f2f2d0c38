// Feeds arbitrary bytes to the INI rules as an MP4.ini that someone edited by hand, and
// checks what the settings store relies on: a value written is the value read back,
// and a write changes no other setting.
#include <algorithm>

#include "fuzz/require.h"
#include "platform/ini_text.h"

void FuzzOne(const std::string& bytes) {
  using namespace clipvane;
  const std::string written = WithIniValue(bytes, "default", "qulity", "2");
  Require(IniValue(written, "DEFAULT", "Qulity") == std::string("2"));
  for (const char* section : {"default", "other"})
    for (const char* key : {"title", "display", "fontname", "videofileext"})
      Require(IniValue(written, section, key) == IniValue(bytes, section, key));
  Require(IniValue(written, "other", "qulity") == IniValue(bytes, "other", "qulity"));
  // At most the key's line and its section's header are new; writing again changes nothing.
  const auto lines = [](const std::string& text) { return std::count(text.begin(), text.end(), '\n'); };
  Require(lines(written) <= lines(bytes) + 3);
  Require(WithIniValue(written, "default", "qulity", "2") == written);
}
