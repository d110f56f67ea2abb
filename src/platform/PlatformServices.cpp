#include "PlatformServices.h"

#include <stdexcept>

namespace zanver {

namespace {
PlatformServices* g_activeServices = nullptr;
}

PlatformServices& ActiveServices() {
    if (!g_activeServices)
        throw std::logic_error("no platform services are active");
    return *g_activeServices;
}

PlatformServices* SetActiveServices(PlatformServices* services) {
    PlatformServices* previous = g_activeServices;
    g_activeServices = services;
    return previous;
}

}  // namespace zanver
