#pragma once
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>

#include "common/path_style.h"

namespace clipvane::testing {

// How many files a job left in `folder` (temp) besides its status file ("<name>.job"),
// which stays there by design until its row runs again.
inline std::ptrdiff_t FilesLeftIn(const std::filesystem::path& folder) {
  return std::count_if(
      std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator(),
      [](const std::filesystem::directory_entry& entry) { return entry.path().extension() != ".job"; });
}

// A fresh folder under the system's temporary folder, removed with everything in
// it when the test ends. Path() ends with the native separator.
class TempFolder {
 public:
  TempFolder() {
    std::mt19937_64 random(std::random_device{}());
    std::filesystem::path folder;
    do folder = std::filesystem::temp_directory_path() / ("clipvane-test-" + std::to_string(random()));
    while (!std::filesystem::create_directory(folder));  // throws when the folder cannot be made
    path_ = folder.string() + Separator(kNativePathStyle);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

  // Writes bytes to a file in the folder and returns its full path.
  std::string WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ + name, std::ios::binary);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path_ + name);
    return path_ + name;
  }
  // The bytes of a file in the folder, or "-" when it cannot be read.
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ + name, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "-";
  }

 private:
  std::string path_;
};

// Asks every 50 ms, `tries` times at most, until `done` says yes; its last answer.
inline bool Eventually(const std::function<bool()>& done, int tries = 600) {
  for (int i = 0; i < tries && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return done();
}

// A path into a test's data/ folder (CLIPVANE_TEST_DATA) with native separators.
inline std::string DataFile(std::string path) {
  if (kNativePathStyle == PathStyle::kWindows) std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace clipvane::testing
