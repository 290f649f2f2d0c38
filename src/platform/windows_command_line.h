#pragma once
#include <string>
#include <vector>

namespace clipvane {

// The command line that CreateProcess takes, from an argument vector, quoted so that
// the C runtime's argument parser and CommandLineToArgvW give back exactly the same
// vector: blanks and empty arguments in quotes, a quotation mark as \", and the
// backslashes before a quotation mark (or before the closing one) doubled. The program
// name is read by other rules (no escapes): it is quoted only when it holds a blank,
// and cannot hold a quotation mark, as no Windows file name does. Text stays as it is
// byte for byte, so UTF-8 in gives UTF-8 out.
std::string WindowsCommandLine(const std::vector<std::string>& argv);

}  // namespace clipvane
