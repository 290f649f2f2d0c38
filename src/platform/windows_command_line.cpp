#include "platform/windows_command_line.h"

namespace clipvane {
namespace {

bool NeedsQuotes(const std::string& arg) { return arg.empty() || arg.find_first_of(" \t\n\v\"") != std::string::npos; }

void AppendQuoted(std::string& line, const std::string& arg) {
  if (!NeedsQuotes(arg)) {
    line += arg;
    return;
  }
  line += '"';
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal unless a quotation mark follows them.
    line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    line += c;
  }
  // The closing quotation mark follows: the backslashes before it are doubled.
  line.append(backslashes * 2, '\\');
  line += '"';
}

}  // namespace

std::string WindowsCommandLine(const std::vector<std::string>& argv) {
  std::string line;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    if (i == 0) {
      const bool blank = argv[0].empty() || argv[0].find_first_of(" \t") != std::string::npos;
      line += blank ? "\"" + argv[0] + "\"" : argv[0];
      continue;
    }
    line += ' ';
    AppendQuoted(line, argv[i]);
  }
  return line;
}

}  // namespace clipvane
