#include "tool_main.h"

#include <cstdio>
#include <cwchar>

#ifdef _WIN32
#include <io.h>

#include "platform/utf.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(clipvane::WideToUtf8(argv[i]));
  return ToolMain(args);
}

bool clipvane::tools::StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

#else
#include <unistd.h>

int main(int argc, char** argv) { return ToolMain(std::vector<std::string>(argv + 1, argv + argc)); }

bool clipvane::tools::StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

#endif
