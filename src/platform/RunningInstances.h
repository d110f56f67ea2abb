#pragma once

#include <cstdint>

namespace zanver {

// The instances of the program that run on the same store. Each run claims a
// stamp that names its scratch data (the backups of deleted keys); a run that
// ends removes all scratch data only when no other instance still runs.
class RunningInstances {
  public:
    virtual ~RunningInstances() = default;
    // Claims the first of stamp, stamp + 1, ... that no running instance
    // holds, and holds it until Release. Returns the stamp claimed; raises
    // when none can be claimed.
    virtual std::uint32_t ClaimStamp(std::uint32_t stamp) = 0;
    // Whether another instance runs on the same store now.
    virtual bool OthersRunning() = 0;
    // Gives up the stamp (nothing when none is held).
    virtual void Release() = 0;
};

// The tracker in use; null when none is installed (then this run counts as
// the only one).
RunningInstances* ActiveInstances();
RunningInstances* SetActiveInstances(RunningInstances* instances);  // returns the previous one

}  // namespace zanver
