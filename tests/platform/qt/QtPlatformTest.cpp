#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
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

// Answers the next message box that opens by pressing the button named
// answer; seen then holds the box's caption, text and sorted button names.
struct BoxAnswerer {
    std::string seen;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

    void AnswerNext(const QString& answer) {
        QTimer::singleShot(0, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            QStringList names{box->windowTitle(), box->text()};
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                names << button->text().remove('&');
                if (names.last() == answer)
                    chosen = button;
            }
            std::sort(names.begin() + 2, names.end());
            seen = names.join('|').toStdString();
            ASSERT_NE(chosen, nullptr) << answer.toStdString();
            chosen->click();
        });
    }
};

TEST_F(QtPlatformTest, RealBoxesShowTheRequestAndReturnThePressedButton) {
    QtPrompter boxes;
    BoxAnswerer question;
    question.AnswerNext("All");
    EXPECT_EQ(boxes.Ask({"Zanver", "Overwrite it?", MessageButtons::YesNoCancelAll,
                         MessageIcon::Question}),
              MessageResult::All);
    EXPECT_EQ(question.seen, "Zanver|Overwrite it?|All|Cancel|No|Yes");
    EXPECT_EQ(question.icon, QMessageBox::Question);

    BoxAnswerer error;
    error.AnswerNext("Cancel");
    EXPECT_EQ(boxes.Ask({"Error Zanver", "x", MessageButtons::OkCancel, MessageIcon::Stop}),
              MessageResult::Cancel);
    EXPECT_EQ(error.seen, "Error Zanver|x|Cancel|OK");
    EXPECT_EQ(error.icon, QMessageBox::Critical);
}

TEST_F(QtPlatformTest, GuardShowsErrorsOnceAndSwallowsAborts) {
    EXPECT_TRUE(Guarded([] {}));
    EXPECT_FALSE(Guarded([] { throw EZAbort(); }));

    questions.ExpectError("Could not open x. Access is denied.");
    EXPECT_FALSE(Guarded([] { throw EZanver("Could not open x. Access is denied"); }));

    questions.ExpectError("Paste canceled.");
    EXPECT_FALSE(Guarded([] { throw std::runtime_error("Paste canceled"); }));

    questions.ExpectError("Unknown error.");
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
    // Each picture is there, of the tree's size and its own.
    for (int i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].pixmap(16, 16).size(), QSize(16, 16));
        for (int j = i + 1; j < images.size(); ++j)
            EXPECT_NE(images[i].pixmap(16, 16).toImage(), images[j].pixmap(16, 16).toImage());
    }
    EXPECT_FALSE(CopyCursor().pixmap().isNull());
}

TEST_F(QtPlatformTest, ProgressStopsOnceCancelled) {
    int seen = 0;
    TProgress::StepHook = [&](int done) { return (seen = done) < 3; };
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
