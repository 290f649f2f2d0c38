// Writing every job script and the run scripts of a long list into a fresh program
// folder. The rows are probed already (their facts are set), so what is measured is
// the scripts, the subtitle-free jobs' temporary names and the queue split. The cost
// per row should not grow with the list, also with thousands of names left in temp.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>

#include "common/workspace.h"
#include "jobs/job_script.h"
#include "platform/file_system.h"
#include "runs/run_scripts.h"

namespace clipvane {
namespace {

class FreshProgramFolder {
 public:
  FreshProgramFolder() {
    std::random_device seed;
    root_ = std::filesystem::temp_directory_path() / ("clipvane-bench-" + std::to_string(std::mt19937_64(seed())()));
    std::filesystem::create_directories(root_);
    workspace_ = std::make_unique<Workspace>((root_ / "").string(), kNativePathStyle);
    workspace_->CreateFolders(NativeFileSystem());
  }
  ~FreshProgramFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  const Workspace& workspace() const { return *workspace_; }

 private:
  std::filesystem::path root_;
  std::unique_ptr<Workspace> workspace_;
};

void BM_MakeRunScripts(benchmark::State& state) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  EncodeSettings settings;
  settings.needsubtitle = false;
  const EncoderPreset preset;
  MediaFacts facts;
  facts.width = 720;
  facts.height = 480;
  facts.aspect = 1.5;
  facts.frameRate = 29.97;
  for (auto _ : state) {
    state.PauseTiming();
    auto folder = std::make_unique<FreshProgramFolder>();
    JobContext jobs{{folder->workspace(), kNativeScriptDialect, settings, preset, ""}, NativeFileSystem(), nullptr};
    RunScriptContext context{folder->workspace(), kNativeScriptDialect, NativeFileSystem(), {}};
    state.ResumeTiming();

    const bool written = MakeRunScripts(
        4, rows,
        [&](std::size_t row) {
          const std::string video = "/videos/clip " + std::to_string(row) + ".avi";
          const JobTarget target = LoneJobTarget(video, {folder->workspace().Incoming()}, kNativePathStyle);
          return BuildJobScript(video, target, facts, jobs).files.script;
        },
        PowerAction::kShutdown, context);
    benchmark::DoNotOptimize(written);

    state.PauseTiming();
    folder.reset();
    state.ResumeTiming();
  }
  state.counters["per_row"] = benchmark::Counter(
      static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_MakeRunScripts)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace clipvane

BENCHMARK_MAIN();
