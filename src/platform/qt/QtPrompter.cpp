#include "QtPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "AppMessageBox.h"
#include "QtText.h"

namespace zanver {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    MessageResult result;
};

std::vector<ButtonSpec> Buttons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return {{QMessageBox::Ok, MessageResult::Ok}};
        case MessageButtons::OkCancel:
            return {{QMessageBox::Ok, MessageResult::Ok},
                    {QMessageBox::Cancel, MessageResult::Cancel}};
        case MessageButtons::YesNo:
            return {{QMessageBox::Yes, MessageResult::Yes}, {QMessageBox::No, MessageResult::No}};
        case MessageButtons::YesNoCancel:
            return {{QMessageBox::Yes, MessageResult::Yes},
                    {QMessageBox::No, MessageResult::No},
                    {QMessageBox::Cancel, MessageResult::Cancel}};
        case MessageButtons::YesNoCancelAll:
            return {{QMessageBox::Yes, MessageResult::Yes},
                    {QMessageBox::No, MessageResult::No},
                    {QMessageBox::Cancel, MessageResult::Cancel},
                    {QMessageBox::YesToAll, MessageResult::All}};
        case MessageButtons::RetryCancel:
            return {{QMessageBox::Retry, MessageResult::Retry},
                    {QMessageBox::Cancel, MessageResult::Cancel}};
    }
    return {{QMessageBox::Ok, MessageResult::Ok}};
}

}  // namespace

MessageResult QtPrompter::Ask(const MessageRequest& request) {
    QMessageBox box(BoxIcon(request.icon), ToQString(request.caption), ToQString(request.text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    const std::vector<ButtonSpec> specs = Buttons(request.buttons);
    for (const ButtonSpec& spec : specs) {
        QPushButton* button = box.addButton(spec.button);
        if (spec.button == QMessageBox::YesToAll)
            button->setText(QMessageBox::tr("&All"));
    }
    box.setDefaultButton(specs.front().button);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const ButtonSpec& spec : specs) {
        if (clicked != nullptr && box.standardButton(clicked) == spec.button)
            return spec.result;
    }
    // Closed without a button (Escape or the close box): the answer that commits
    // to nothing.
    return CautiousAnswer(request.buttons);
}

void InstallQtPrompter() {
    static QtPrompter prompter;
    SetActivePrompter(&prompter);
    InstallCorePrompts();
}

}  // namespace zanver
