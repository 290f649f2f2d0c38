#pragma once
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/workspace.h"
#include "media/video_list.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"

namespace clipvane::testing {

// A program folder in a temporary folder, with its workspace folders, a folder of
// videos beside it and an empty list over the default video extensions.
class ListFixture : public ::testing::Test {
 protected:
  ListFixture() { workspace.CreateFolders(files); }

  // Writes a file into the videos folder and returns its full path.
  std::string Video(const std::string& name, const std::string& bytes = "video") {
    files.MakeFolders(temp / "videos");
    return temp.WriteFile("videos" + std::string(1, Separator(kNativePathStyle)) + name, bytes);
  }
  // Puts the finished MP4 of a video into incoming.
  std::string Encoded(const std::string& video_path) {
    const std::string mp4 = workspace.OutputPath(video_path);
    temp.WriteFile(mp4.substr(temp.Path().size()), "mp4");
    return mp4;
  }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (std::size_t i = 0; i < list.RowCount(); ++i) titles.push_back(list.Row(i).title);
    return titles;
  }

  TempFolder temp;
  FileSystem& files = NativeFileSystem();
  Workspace workspace{temp.Path(), kNativePathStyle};
  std::vector<std::string> video_exts{"avi", "mpg", "asf", "wmv"};
  VideoList list{workspace, files, video_exts};
};

}  // namespace clipvane::testing
