#include "app/run_modes.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace clipvane {
namespace {

using testing::EventLog;
using testing::FakePowerControl;
using testing::FakeProcessList;
using testing::FakeSleeper;
using Events = std::vector<std::string>;

TEST(ChooseRunMode, ExactlyOneArgumentIsThePowerActionMode) {
  EXPECT_EQ(ChooseRunMode({}), RunMode::kGui);
  EXPECT_EQ(ChooseRunMode({"shutdown"}), RunMode::kPowerAction);
  EXPECT_EQ(ChooseRunMode({"C:\\x.avi"}), RunMode::kPowerAction);
  EXPECT_EQ(ChooseRunMode({""}), RunMode::kPowerAction);
  EXPECT_EQ(ChooseRunMode({"shutdown", "now"}), RunMode::kGui);
  EXPECT_EQ(ChooseRunMode({"a", "b", "c"}), RunMode::kGui);
}

struct PowerCase {
  std::string argument;
  bool encoders_busy;
  Events events;
};

class PowerActionModeTest : public ::testing::TestWithParam<PowerCase> {};

TEST_P(PowerActionModeTest, WaitsTestsAndActs) {
  EventLog log;
  FakeSleeper sleeper(log);
  FakePowerControl power(log);
  FakeProcessList processes;
  if (GetParam().encoders_busy) processes.Running("mencoder.exe").Running("cmd.exe");
  PowerActionServices services{sleeper, processes, power, {{"mencoder.exe", "mp4creator.exe"}, "cmd.exe"}};

  RunPowerActionMode(GetParam().argument, services);

  EXPECT_EQ(log.events, GetParam().events) << "argument [" << GetParam().argument << "]";
  EXPECT_EQ(processes.snapshots, GetParam().encoders_busy ? 3 : 2);  // the census ran after the wait
}

INSTANTIATE_TEST_SUITE_P(
    Table, PowerActionModeTest,
    ::testing::Values(PowerCase{"shutdown", false, {"sleep 10000", "power off"}},
                      PowerCase{"suspend", false, {"sleep 10000", "suspend"}},
                      PowerCase{"shutdown", true, {"sleep 10000"}},
                      PowerCase{"suspend", true, {"sleep 10000"}},
                      PowerCase{"Shutdown", false, {"sleep 10000"}},
                      PowerCase{"SUSPEND", false, {"sleep 10000"}},
                      PowerCase{"shutdown ", false, {"sleep 10000"}},
                      PowerCase{" suspend", false, {"sleep 10000"}},
                      PowerCase{"C:\\x.avi", false, {"sleep 10000"}},
                      PowerCase{"", false, {"sleep 10000"}}));

}  // namespace
}  // namespace clipvane
