#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ConfirmFixture.h"
#include "RootKeys.h"
#include "SetValueConfirmed.h"
#include "ValueTextRegistry.h"

namespace zanver::test {
namespace {

// Undo procedures doing what the association tree view's do: put the old
// value text back, or remove the created value or key. The target is the root
// the write went to.
bool RestoreValue(void* target, TUndo& record) {
    // "<root name>\<key path>\<value name>=<old value text>"; the names used
    // here contain no "=".
    const std::string& text = record.Value;
    const std::size_t equals = text.find('=');
    const std::string fullPath = text.substr(0, equals);
    const std::size_t rootEnd = fullPath.find('\\');
    const std::size_t nameStart = fullPath.rfind('\\');
    EXPECT_EQ(RootKeyFromName(fullPath.substr(0, rootEnd)), *static_cast<RootKey*>(target));
    SetValueText(*static_cast<RootKey*>(target),
                 fullPath.substr(rootEnd + 1, nameStart - rootEnd - 1),
                 fullPath.substr(nameStart + 1), text.substr(equals + 1));
    return true;
}

bool RemoveCreatedValue(void* target, TUndo& record) {
    const std::size_t nameStart = record.Value.rfind('\\');
    return DeleteValue(*static_cast<RootKey*>(target), record.Value.substr(0, nameStart),
                       record.Value.substr(nameStart + 1));
}

bool RemoveCreatedKey(void* target, TUndo& record) {
    return DeleteKeyTree(*static_cast<RootKey*>(target), record.Value);
}

class UndoRoundTripTest : public ConfirmFixture {};

TEST_F(UndoRoundTripTest, UndoingEveryConfirmedWriteRestoresTheStartingStore) {
    OptionFlags = 0;  // the questions are covered elsewhere
    RootKey root = HKEY_CLASSES_ROOT;
    std::vector<std::string> keys;
    for (int i = 0; i < 6; ++i) {
        keys.push_back(".k" + std::to_string(i));
        PutString(root, keys.back(), "", "file" + std::to_string(i));
        PutString(root, keys.back(), "Content Type", "text/k" + std::to_string(i));
        WriteDWord(root, keys.back(), "EditFlags", static_cast<std::uint32_t>(i));
    }
    const std::string start = memory.Dump();

    std::mt19937 random(20261206);
    auto pick = [&](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    auto randomText = [&]() {
        const unsigned number = static_cast<unsigned>(random() % 1000);
        if (random() % 3 == 0) {
            char text[32];
            std::snprintf(text, sizeof text, "dword: %08X", number);
            return std::string(text);
        }
        return "\"t" + std::to_string(number) + "\"";
    };
    const std::vector<std::string> names = {"", "Content Type", "EditFlags", "x", "y"};

    int created = 0;
    for (int step = 0; step < 300; ++step) {
        std::string key;
        std::string name;
        switch (random() % 3) {
            case 0:  // an existing or new value of a known key
                key = keys[pick(keys.size())];
                name = names[pick(names.size())];
                break;
            case 1:  // a value that certainly is new
                key = keys[pick(keys.size())];
                name = "n" + std::to_string(step);
                break;
            default:  // a new key, at the top or below a known key
                key = (random() % 2 ? ".new" : keys[pick(keys.size())] + "\\sub") +
                      std::to_string(++created);
                keys.push_back(key);
                break;
        }
        ASSERT_TRUE(SetValueConfirmed(root, key, name, "value", "", randomText(), RestoreValue,
                                      &root, RemoveCreatedValue, &root, RemoveCreatedKey, &root));
    }
    EXPECT_GT(UndoList.Count(), 200);
    EXPECT_NE(memory.Dump(), start);

    while (!UndoList.Empty()) {
        const int before = UndoList.Count();
        PerformUndo(UndoList);
        ASSERT_EQ(UndoList.Count(), before - 1) << "undo stopped";
    }
    EXPECT_EQ(memory.Dump(), start);
}

}  // namespace
}  // namespace zanver::test
