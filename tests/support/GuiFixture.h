#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <QString>

#include <memory>
#include <string>
#include <string_view>

#include "ActiveStore.h"
#include "AppTitle.h"
#include "MemoryStore.h"
#include "ProgramState.h"
#include "ScriptedServices.h"

class QWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zanver {

// Base of every GUI test: a fresh, empty in-memory store as the active store,
// the program state at its start (ProgramState), a script of the questions
// (every mismatch or unexpected question fails the test at once, and
// questions scripted but never asked fail it at the end), scripted platform
// services and an empty clipboard. The QApplication is made by the GUI
// tests' main() on the offscreen platform.
class GuiTest : public ::testing::Test {
  protected:
    GuiTest();
    ~GuiTest() override;
    void TearDown() override;

    // Expect one question: caption, text, buttons and icon must match.
    void Expect(std::string caption, std::string text, MessageButtons buttons, MessageIcon icon,
                MessageResult answer) {
        questions.Expect(std::move(caption), std::move(text), buttons, icon, answer);
    }

    MemoryStore store;
    test::ProgramState state;
    test::QuestionScript questions;
    ScriptedPrompter& prompter = questions.Prompter();
    ScriptedServices services;

  private:
    ScopedActiveStore installedStore;
    ScopedServices installedServices;
};

// Driving real widgets.
namespace gui {

// Shows the window of widget and makes it the active window with widget
// focused; returns false when the platform refused.
bool ShowAndFocus(QWidget* widget);
void Type(QWidget* widget, const QString& text);
void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void Click(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton);
// The centre of an item in its view's viewport.
QPoint ItemCentre(QTreeWidget* view, QTreeWidgetItem* item);
// Runs queued events (deferred deletes included).
void ProcessEvents();
std::string Clipboard();
void SetClipboard(std::string_view text);

}  // namespace gui
}  // namespace zanver
