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
#include "Prompter.h"
#include "ScriptedPrompter.h"
#include "ScriptedServices.h"

class QWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace zanver {

// Base of every GUI test: a fresh, empty in-memory store as the active store,
// a scripted prompter whose every mismatch or unexpected question fails the
// test at once (and questions scripted but never asked fail it at the end),
// scripted platform services, the core's prompts installed, the application
// title "Zanver" and an empty clipboard. The QApplication is made by the
// GUI tests' main() on the offscreen platform.
class GuiTest : public ::testing::Test {
  protected:
    GuiTest();
    ~GuiTest() override;
    void TearDown() override;

    // Expect one question: caption, text, buttons and icon must match.
    void Expect(std::string caption, std::string text, MessageButtons buttons, MessageIcon icon,
                MessageResult answer) {
        prompter.Expect(std::move(caption), std::move(text), buttons, icon, answer);
    }

    MemoryStore store;
    ScriptedPrompter prompter;
    ScriptedServices services;

  private:
    ScopedActiveStore installedStore;
    ScopedPrompter installedPrompter;
    ScopedServices installedServices;
    std::string savedTitle;
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
