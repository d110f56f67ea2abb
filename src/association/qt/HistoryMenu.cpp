#include "HistoryMenu.h"

#include <QAction>
#include <QMenu>

#include "QtText.h"

namespace zanver {

namespace {

void ShowEntry(QAction* item, const std::string& entry, bool enabled) {
    const QString text = ToQString(entry);
    item->setText(QString(text).replace(QLatin1Char('&'), QLatin1String("&&")));
    item->setData(enabled ? QVariant(text) : QVariant());
    item->setEnabled(enabled);
}

}  // namespace

void FillHistoryMenu(const TZVHistory& history, QMenu* menu) {
    const QList<QAction*> items = menu->actions();
    if (items.isEmpty())
        return;
    for (qsizetype i = items.size() - 1; i >= 1; --i) {
        menu->removeAction(items[i]);
        delete items[i];
    }
    const std::vector<std::string> captions = HistoryMenuCaptions(history);
    ShowEntry(items[0], captions.front(), !history.Empty());
    for (std::size_t i = 1; i < captions.size(); ++i) {
        auto* item = new QAction(menu);
        ShowEntry(item, captions[i], true);
        menu->addAction(item);
    }
}

std::string HistoryEntryOf(const QAction* item) {
    return item != nullptr ? FromQString(item->data().toString()) : std::string();
}

}  // namespace zanver
