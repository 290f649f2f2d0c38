#pragma once
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/system_services.h"

namespace clipvane::testing {

class FakeProcessList : public ProcessList {
 public:
  std::vector<ProcessEntry> processes;
  std::uint32_t own_id = 1;
  int snapshots = 0;

  std::vector<ProcessEntry> Snapshot() const override {
    ++const_cast<FakeProcessList*>(this)->snapshots;
    return processes;
  }
  std::uint32_t OwnProcessId() const override { return own_id; }

  // Adds `count` processes named `name` with fresh ids.
  FakeProcessList& Running(const std::string& name, int count = 1) {
    for (int i = 0; i < count; ++i)
      processes.push_back({static_cast<std::uint32_t>(100 + processes.size()), name});
    return *this;
  }
};

// Records every call in one log so that tests can check the order of events.
struct EventLog {
  std::vector<std::string> events;
};

class FakeSleeper : public Sleeper {
 public:
  explicit FakeSleeper(EventLog& log) : log_(log) {}
  void SleepMilliseconds(unsigned milliseconds) override {
    log_.events.push_back("sleep " + std::to_string(milliseconds));
  }

 private:
  EventLog& log_;
};

class FakePowerControl : public PowerControl {
 public:
  explicit FakePowerControl(EventLog& log) : log_(log) {}
  void PowerOff() override { log_.events.push_back("power off"); }
  void Suspend() override { log_.events.push_back("suspend"); }

 private:
  EventLog& log_;
};

class RecordingShell : public Shell {
 public:
  std::vector<std::string> opened;
  void OpenScript(const std::string& path) override { opened.push_back(path); }
};

class RecordingNotifier : public UserNotifier {
 public:
  struct Message {
    std::string text, caption;
    MessageIcon icon;
    MessageButtons buttons;
  };
  std::vector<Message> shown;
  MessageAnswer answer = MessageAnswer::kOk;

  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                            MessageButtons buttons) override {
    shown.push_back({text, caption, icon, buttons});
    return answer;
  }
};

}  // namespace clipvane::testing
