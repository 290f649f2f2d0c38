// Loading and saving list.log for lists of growing length. Every line names an
// existing file, as after a normal run, so each load looks at the disk for the
// video, its MP4 and its subtitle. The cost per row should not grow with the list.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>

#include "common/workspace.h"
#include "media/video_list.h"
#include "media/video_list_file.h"
#include "platform/file_system.h"

namespace clipvane {
namespace {

// A program folder with `rows` small video files and a list.log naming them all.
class ListOnDisk {
 public:
  explicit ListOnDisk(int rows) {
    std::random_device seed;
    root_ = std::filesystem::temp_directory_path() / ("clipvane-bench-" + std::to_string(std::mt19937_64(seed())()));
    std::filesystem::create_directories(root_ / "videos");
    std::string list_log;
    for (int i = 0; i < rows; ++i) {
      const std::filesystem::path video = root_ / "videos" / ("clip " + std::to_string(i) + ".avi");
      std::ofstream(video) << "v";
      list_log += video.string() + "\r\n";
    }
    std::ofstream(root_ / "list.log", std::ios::binary) << list_log;
    workspace_ = std::make_unique<Workspace>((root_ / "").string(), kNativePathStyle);
    workspace_->CreateFolders(NativeFileSystem());
  }
  ~ListOnDisk() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  ListOnDisk(const ListOnDisk&) = delete;
  ListOnDisk& operator=(const ListOnDisk&) = delete;

  const Workspace& workspace() const { return *workspace_; }

 private:
  std::filesystem::path root_;
  std::unique_ptr<Workspace> workspace_;
};

void BM_LoadAndSaveListLog(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const ListOnDisk disk(rows);
  const std::vector<std::string> video_exts{"avi", "mpg", "asf", "wmv"};
  FileSystem& files = NativeFileSystem();
  for (auto _ : state) {
    VideoList list(disk.workspace(), files, video_exts);
    const StoredList stored = LoadVideoList(list, files, disk.workspace());
    if (list.RowCount() != static_cast<std::size_t>(rows)) state.SkipWithError("not every row was loaded");
    SaveVideoList(list, stored, files, disk.workspace());
  }
  state.SetItemsProcessed(state.iterations() * rows);
  state.counters["time_per_row"] = benchmark::Counter(
      static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadAndSaveListLog)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace clipvane

BENCHMARK_MAIN();
