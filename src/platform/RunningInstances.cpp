#include "RunningInstances.h"

namespace zanver {

namespace {
RunningInstances* activeInstances = nullptr;
}

RunningInstances* ActiveInstances() {
    return activeInstances;
}

RunningInstances* SetActiveInstances(RunningInstances* instances) {
    RunningInstances* previous = activeInstances;
    activeInstances = instances;
    return previous;
}

}  // namespace zanver
