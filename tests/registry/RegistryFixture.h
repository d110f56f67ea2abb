#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ActiveStore.h"
#include "FaultStore.h"
#include "MemoryStore.h"
#include "RegistryAccess.h"

// A fresh in-memory store, reached through a fault-injecting wrapper, made the
// active store for the duration of a test.
class RegistryFixture : public ::testing::Test {
  protected:
    RegistryFixture() : faults(memory), active(faults) {}

    void Put(zanver::RootKey root, const std::string& key, const std::string& name,
             std::uint32_t type, const zanver::Bytes& data) {
        ASSERT_TRUE(zanver::SetRawValue(root, key, name, type, data.empty() ? nullptr : data.data(),
                                        data.size()));
    }
    static zanver::Bytes Sz(const std::string& text) {
        zanver::Bytes bytes(text.begin(), text.end());
        bytes.push_back(0);
        return bytes;
    }

    zanver::MemoryStore memory;
    zanver::FaultStore faults;
    zanver::ScopedActiveStore active;
};
