#pragma once
#include <string>
#include <vector>

#include "common/power_action.h"

namespace clipvane {

class FileSystem;
class Workspace;

// The power action of a whole-list run (Workspace::PowerRunFile): chosen as its queues
// start, with the records of the run's jobs; held back when the user stops every job,
// at any moment before it is taken, the wait after the last job included; and taken
// once, after the last job of the run has ended, however many queues end with it.
class PowerRun {
 public:
  PowerRun(FileSystem& files, const Workspace& workspace);

  // The run that starts now, and the records of its jobs; with no power action, none is
  // on record (and a hold of an earlier run goes with it). Throws PlatformError.
  void Start(PowerAction action, const std::vector<std::string>& records);
  // Holds back the power action of the run, or of a script run by hand, that has not been
  // taken yet. Whether a run with a power action was waiting for its end.
  bool Hold();
  // For the power-action mode, at the end of its wait: whether the power action goes
  // ahead now, and then it is taken, so that no other queue's end takes it again. Not
  // when it was held or taken already, nor while a job of the run holds its row (its
  // queue's own end comes later), nor when that cannot be recorded. A script made
  // earlier and run by hand has no run on record: its action goes ahead.
  bool Take();

 private:
  FileSystem* files_;
  std::string file_, lock_;
};

}  // namespace clipvane
