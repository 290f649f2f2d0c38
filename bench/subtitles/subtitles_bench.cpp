// How fast a SAMI file becomes an SSA script. The input is generated: about 5 MB of
// two-language subtitles with colours, line breaks and blank blocks, as Korean fan
// subtitles are written.
//
//   clipvane_subtitles_bench --write-sami=FILE   writes the generated file and exits
//   clipvane_subtitles_bench --sami=FILE ...     measures with FILE instead
//
// bench/subtitles.sh runs both and compares with FFmpeg on the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "subtitles/colour_table.h"
#include "subtitles/sami_text.h"
#include "subtitles/sami_to_ssa.h"
#include "subtitles/ssa_writer.h"

namespace clipvane {
namespace {

constexpr std::size_t kTargetBytes = 5 * 1024 * 1024;

std::string GeneratedSami() {
  const std::string korean[] = {Utf8ToAnsi(u8"안녕하세요, 오늘은 날씨가 정말 좋네요."),
                                Utf8ToAnsi(u8"그건 내가 한 말이 아니야!"), Utf8ToAnsi(u8"조심해, 뒤에 누가 있어")};
  const char* english[] = {"Hello, what a lovely day it is.", "I never said that!", "Careful, someone is behind you"};
  const char* colours[] = {"\"#ffcc00\"", "red", "skyblue", "#00FF00"};
  std::string sami =
      "<SAMI>\r\n<HEAD>\r\n<TITLE>bench</TITLE>\r\n<STYLE TYPE=\"text/css\">\r\n<!--\r\n"
      "P { margin-left:8pt; margin-right:8pt; text-align:center; }\r\n"
      ".KRCC { Name:Korean; lang:ko-KR; SAMIType:CC; }\r\n.ENCC { Name:English; lang:en-US; SAMIType:CC; }\r\n"
      "-->\r\n</STYLE>\r\n</HEAD>\r\n<BODY>\r\n";
  for (unsigned i = 0; sami.size() < kTargetBytes; ++i) {
    const std::string start = std::to_string(1000 + i * 3000);
    const std::string clear = std::to_string(3500 + i * 3000);
    const std::string colour = colours[i % 4];
    sami += "<SYNC Start=" + start + "><P Class=KRCC>\r\n<font color=" + colour + ">" + korean[i % 3] + "</font><br>" +
            korean[(i + 1) % 3] + "\r\n";
    sami += "<SYNC Start=" + start + "><P Class=ENCC>\r\n<font color=" + colour + ">" + english[i % 3] + "</font><br>" +
            english[(i + 1) % 3] + "\r\n";
    sami += "<SYNC Start=" + clear + "><P Class=KRCC>&nbsp;\r\n<SYNC Start=" + clear + "><P Class=ENCC>&nbsp;\r\n";
  }
  return sami + "</BODY>\r\n</SAMI>\r\n";
}

SsaStyle BenchStyle() {
  SsaStyle style;
  style.font_name = "NanumGothic";
  style.font_size = 20;
  return style;
}

std::string& SamiPath() {
  static std::string path;
  return path;
}

std::string SamiBytes() {
  if (SamiPath().empty()) return GeneratedSami();
  const std::optional<std::string> bytes = NativeFileSystem().ReadWholeFile(SamiPath());
  if (!bytes) {
    std::fprintf(stderr, "cannot read %s\n", SamiPath().c_str());
    std::exit(2);
  }
  return *bytes;
}

void BM_ConvertSamiInMemory(benchmark::State& state) {
  const std::string sami = SamiBytes();
  const ColourTable colours;
  std::size_t lines = 0;
  for (auto _ : state) {
    const std::vector<std::string> ssa =
        SsaLinesFromSami(SplitLines(SamiTextFromBytes(sami)), "bench", BenchStyle(), colours);
    const std::string text = JoinLinesCrLf(ssa);
    benchmark::DoNotOptimize(text.data());
    lines = ssa.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * sami.size()));
  state.counters["ssa_lines"] = static_cast<double>(lines);
}

// What FFmpeg is compared with: read the .smi file, convert, write the .ssa file.
void BM_ConvertSamiFile(benchmark::State& state) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "clipvane-bench-subtitles";
  std::filesystem::create_directories(folder);
  std::string input = SamiPath();
  const std::size_t size = SamiBytes().size();
  if (input.empty()) {
    input = (folder / "bench.smi").string();
    NativeFileSystem().ReplaceWholeFile(input, GeneratedSami());
  }
  const std::string output = (folder / "bench.ssa").string();
  const ColourTable colours;
  for (auto _ : state) {
    const std::vector<std::string> ssa = ConvertSubtitleToSsa(NativeFileSystem(), SubtitleAt(input, kNativePathStyle),
                                                              kNativePathStyle, BenchStyle(), colours);
    NativeFileSystem().ReplaceWholeFile(output, JoinLinesCrLf(ssa));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  std::filesystem::remove_all(folder);
}

BENCHMARK(BM_ConvertSamiInMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertSamiFile)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace clipvane

int main(int argc, char** argv) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--write-sami=", 0) == 0) {
      clipvane::NativeFileSystem().ReplaceWholeFile(arg.substr(13), clipvane::GeneratedSami());
      return 0;
    }
    if (arg.rfind("--sami=", 0) == 0) {
      clipvane::SamiPath() = arg.substr(7);
      continue;
    }
    rest.push_back(argv[i]);
  }
  int rest_count = static_cast<int>(rest.size());
  benchmark::Initialize(&rest_count, rest.data());
  if (benchmark::ReportUnrecognizedArguments(rest_count, rest.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
