#pragma once

#include <string_view>

#include "RootKeys.h"
#include "Undo.h"

namespace zanver {

// The confirmed, undoable write of one value given as value text. Name empty
// means the default value. What is the word for the value ("value", "file
// type", ...); Display, when not empty, is the word for the key ("extension")
// and replaces the full key name in questions and undo descriptions.
//
// A missing key is created by the write after one question ("Create ...?")
// and recorded with CreateKeyUndo; an existing value is replaced after the
// question "Set ... to ...?" and recorded with ChangeUndo; a new value of an
// existing key is recorded with CreateValueUndo. A value that already holds
// exactly NewValueText is left alone without a question.
//
// True when the value now holds NewValueText, false when the user declined
// (nothing written, nothing recorded). Raises what SetValueText raises; the
// text is parsed before anything is asked, so malformed value text leaves the
// store and the undo list as they were.
bool SetValueConfirmed(RootKey root, std::string_view key, std::string_view name,
                       std::string_view what, std::string_view display,
                       std::string_view newValueText, UndoProcedure changeUndo, void* changeTarget,
                       UndoProcedure createValueUndo, void* createValueTarget,
                       UndoProcedure createKeyUndo, void* createKeyTarget);

}  // namespace zanver
