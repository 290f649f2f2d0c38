#pragma once
#include <map>
#include <string>
#include <vector>

#include "media/mediainfo_library.h"
#include "platform/status_line.h"

namespace clipvane::testing {

// Hands out prepared reports by path and counts the calls.
class FakeMediaInfoLibrary : public MediaInfoLibrary {
 public:
  std::map<std::string, std::string> reports;
  std::vector<std::string> informed;
  std::string problem;

  std::string Problem() const override { return problem; }
  std::string Inform(const std::string& path) override {
    informed.push_back(path);
    const auto found = reports.find(path);
    return found == reports.end() ? std::string() : found->second;
  }
};

class RecordingStatusLine : public StatusLine {
 public:
  std::vector<std::string> texts;
  void SetStatusText(const std::string& text) override { texts.push_back(text); }
};

}  // namespace clipvane::testing
