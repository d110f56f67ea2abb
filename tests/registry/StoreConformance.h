#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "Store.h"

// The behaviour every registry store must show. Each store's test file
// instantiates the suite with a factory that makes a fresh, empty store:
//
//   INSTANTIATE_TEST_SUITE_P(Memory, StoreConformanceTest,
//       ::testing::Values(StoreUnderTest{"Memory", [] { return ...; }}),
//       StoreUnderTestName);
struct StoreUnderTest {
    std::string name;
    std::function<std::unique_ptr<zanver::RegistryStore>()> make;
    // The real registry of Wine sorts values by name instead of keeping the
    // order in which they were first written.
    bool sortsValues = false;
    // Wine orders subkeys by lower-cased names, so "_" sorts before letters;
    // the registry of Windows and our own stores sort it after "Z".
    bool foldsToLower = false;
    // Opens a second connection to the store given, for stores that several
    // connections (or processes) share; empty where there is no such thing,
    // and the tests then use the store itself in its place.
    std::function<std::unique_ptr<zanver::RegistryStore>(zanver::RegistryStore&)> openAgain = {};
    // Whether a rolled-back transaction undoes its changes; the registry API
    // the Windows store uses has no transactions.
    bool rollsBack = true;
};

// Shows the store by its name in test listings.
inline void PrintTo(const StoreUnderTest& store, std::ostream* out) {
    *out << store.name;
}

// path with "\d" added until it lies `depth` levels below its root; path
// itself lies at `level`.
inline std::string Deepen(std::string path, std::size_t level, std::size_t depth) {
    for (; level < depth; ++level)
        path += "\\d";
    return path;
}

inline std::string StoreUnderTestName(const ::testing::TestParamInfo<StoreUnderTest>& info) {
    return info.param.name;
}

// The suite also runs against the real registry, so every test works only below
// keys of its own, which SetUp and TearDown remove: `base` below
// HKEY_CURRENT_USER and `classesName` below HKEY_CLASSES_ROOT.
class StoreConformanceTest : public ::testing::TestWithParam<StoreUnderTest> {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Removes the key with its subtree.
    void DeleteTree(zanver::StoreKey root, const std::string& key);

    std::unique_ptr<zanver::RegistryStore> store;
    std::string base;         // Software\ZanverConformance\<test>
    std::string classesName;  // ZanverConformance.<test>
};
