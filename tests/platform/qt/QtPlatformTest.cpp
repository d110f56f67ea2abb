#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <stdexcept>

#include "Clipboard.h"
#include "Errors.h"
#include "GuiFixture.h"
#include "Progress.h"
#include "QtGuard.h"
#include "QtPrompter.h"
#include "QtText.h"
#include "TreeImages.h"

namespace zanver {
namespace {

using QtPlatformTest = GuiTest;

// Answers the next message box that opens by pressing the button whose text
// is buttonText, after recording what the box showed.
struct BoxAnswerer {
    QString caption, text, buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

    void AnswerNext(const QString& buttonText) {
        QTimer::singleShot(0, [this, buttonText] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                buttons += button->text().remove('&') + "|";
                if (button->text().remove('&') == buttonText)
                    chosen = button;
            }
            ASSERT_NE(chosen, nullptr) << buttonText.toStdString();
            chosen->click();
        });
    }
};

TEST_F(QtPlatformTest, RealBoxesShowTheRequestAndReturnThePressedButton) {
    QtPrompter boxes;
    BoxAnswerer answerer;

    answerer.AnswerNext("All");
    EXPECT_EQ(boxes.Ask({"Zanver", "Overwrite it?", MessageButtons::YesNoCancelAll,
                         MessageIcon::Question}),
              MessageResult::All);
    EXPECT_EQ(answerer.caption, "Zanver");
    EXPECT_EQ(answerer.text, "Overwrite it?");
    EXPECT_EQ(answerer.icon, QMessageBox::Question);
    for (const char* button : {"Yes|", "No|", "Cancel|", "All|"})
        EXPECT_TRUE(answerer.buttons.contains(button)) << answerer.buttons.toStdString();

    BoxAnswerer second;
    second.AnswerNext("Cancel");
    EXPECT_EQ(boxes.Ask({"Zanver", "Long?", MessageButtons::OkCancel, MessageIcon::Question}),
              MessageResult::Cancel);

    BoxAnswerer third;
    third.AnswerNext("No");
    EXPECT_EQ(boxes.Ask({"Error Zanver", "x", MessageButtons::YesNo, MessageIcon::Stop}),
              MessageResult::No);
    EXPECT_EQ(third.icon, QMessageBox::Critical);
}

TEST_F(QtPlatformTest, GuardShowsErrorsOnceAndSwallowsAborts) {
    EXPECT_TRUE(Guarded([] {}));
    EXPECT_FALSE(Guarded([] { throw EZAbort(); }));

    Expect("Zanver", "Could not open HKEY_CLASSES_ROOT\\x. Access is denied.", MessageButtons::Ok,
           MessageIcon::Stop, MessageResult::Ok);
    EXPECT_FALSE(
        Guarded([] { throw EZanver("Could not open HKEY_CLASSES_ROOT\\x. Access is denied"); }));

    Expect("Zanver", "Paste canceled.", MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    EXPECT_FALSE(Guarded([] { throw std::runtime_error("Paste canceled"); }));

    Expect("Zanver", "Unknown error.", MessageButtons::Ok, MessageIcon::Stop, MessageResult::Ok);
    EXPECT_FALSE(Guarded([] { throw 42; }));
}

TEST_F(QtPlatformTest, ClipboardKeepsTextOutsideAscii) {
    const std::string text =
        "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n@ = \"Gr\xC3\xBC\xC3\x9F\"\r\n";
    SetClipboardText(text);
    EXPECT_TRUE(ClipboardHasText());
    EXPECT_EQ(ClipboardText(), text);
    EXPECT_EQ(FromQString(ToQString(text)), text);
}

TEST_F(QtPlatformTest, TreePicturesAndCopyCursorAreThere) {
    const QList<QIcon> images = TreeImageList();
    ASSERT_EQ(images.size(), 5);
    for (const QIcon& icon : images) {
        EXPECT_FALSE(icon.isNull());
        EXPECT_EQ(icon.pixmap(16, 16).size(), QSize(16, 16));
    }
    // Each picture is its own.
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i].pixmap(16, 16).toImage(), images[j].pixmap(16, 16).toImage());
    EXPECT_FALSE(CopyCursor().pixmap().isNull());
}

TEST_F(QtPlatformTest, ProgressStopsOnceCancelled) {
    int seen = 0;
    TProgress::StepHook = [&](int done) {
        seen = done;
        return done < 3;
    };
    TProgress progress(nullptr, "Pasting", 10);
    EXPECT_TRUE(progress.Step(1));
    EXPECT_TRUE(progress.Step(2));
    EXPECT_FALSE(progress.Step(3));
    EXPECT_FALSE(progress.Step(4));  // stays cancelled without asking again
    EXPECT_EQ(seen, 3);
    EXPECT_TRUE(progress.Cancelled());
    TProgress::StepHook = nullptr;
}

}  // namespace
}  // namespace zanver
