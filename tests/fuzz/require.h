#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// A property every input must keep: when it breaks, the fuzzer keeps the input.
inline void Require(bool condition) {
  if (!condition) std::abort();
}

// What every SSA script must hold: the 22 header lines first, then one Dialogue line
// each, and no line that carries a line break or a NUL into the saved file.
inline void RequireWellFormedScript(const std::vector<std::string>& lines) {
  Require(lines.size() >= 22);
  Require(lines[0] == "[Script Info]" && lines[21].rfind("Format: Marked", 0) == 0);
  for (std::size_t i = 22; i < lines.size(); ++i) Require(lines[i].rfind("Dialogue: Marked=0,", 0) == 0);
  for (const std::string& line : lines) Require(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
}

// Each target's checks of one input; the target's only source file defines it.
void FuzzOne(const std::string& bytes);

// libFuzzer's entry point, here once for every target (each includes this header from
// its one source file).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzOne(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
