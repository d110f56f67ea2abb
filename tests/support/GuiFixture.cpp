#include "GuiFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTreeWidget>

#include "AppMessageBox.h"
#include "QtText.h"

namespace zanver {

GuiTest::GuiTest() : installedStore(store), installedServices(services) {
    QGuiApplication::clipboard()->clear();
}

GuiTest::~GuiTest() {
    // Widgets a test deleted with deleteLater() go before the store does.
    gui::ProcessEvents();
}

void GuiTest::TearDown() {
    questions.CheckAllAsked();
}

namespace gui {

bool ShowAndFocus(QWidget* widget) {
    QWidget* window = widget->window();
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    if (!QTest::qWaitForWindowActive(window, 2000))
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    ProcessEvents();
    return widget->hasFocus();
}

void Type(QWidget* widget, const QString& text) {
    QTest::keyClicks(widget, text);
}

void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
}

void Click(QWidget* widget, QPoint pos, Qt::MouseButton button) {
    QTest::mouseClick(widget, button, Qt::NoModifier, pos);
}

QPoint ItemCentre(QTreeWidget* view, QTreeWidgetItem* item) {
    view->scrollToItem(item);
    return view->visualItemRect(item).center();
}

void ProcessEvents() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

std::string Clipboard() {
    return FromQString(QGuiApplication::clipboard()->text());
}

void SetClipboard(std::string_view text) {
    QGuiApplication::clipboard()->setText(ToQString(text));
}

}  // namespace gui
}  // namespace zanver
