#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ActiveStore.h"
#include "FaultStore.h"
#include "MemoryStore.h"
#include "RegistryAccess.h"
#include "StoreHelpers.h"

// A fresh in-memory store, reached through a fault-injecting wrapper, made the
// active store for the duration of a test.
class RegistryFixture : public ::testing::Test {
  protected:
    RegistryFixture() : faults(memory), active(faults) {}

    zanver::MemoryStore memory;
    zanver::FaultStore faults;
    zanver::ScopedActiveStore active;
};
