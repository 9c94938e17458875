#include "platform/MessageBox.h"

#include "support/GuiTest.h"

#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

namespace kelvane {

namespace {

TEST(AfxMessageBox, TextOkExclamationAndTheExecutablesNameAsCaption)
{
    // This suite's executable is message_box_gui_test.
    EXPECT_EQ(AppTitle(), QStringLiteral("message_box_gui_test"));

    ModalScript script;
    SeenMessageBox seen;
    script.then(AnswerMessageBox(&seen, QMessageBox::Ok));
    EXPECT_EQ(AfxMessageBox(QStringLiteral("Fatal Error 0001")), IDOK);
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, QStringLiteral("message_box_gui_test"));
    EXPECT_EQ(seen.text, QStringLiteral("Fatal Error 0001"));
    EXPECT_EQ(seen.icon, int(QMessageBox::Warning));
    EXPECT_EQ(seen.buttons, int(QMessageBox::Ok));
}

// A question is answered with a button, or from the keyboard after Esc and a
// close request, which must both leave it open.
struct QuestionCase
{
    int button;       // QMessageBox::StandardButton to click, or 0: keyboard
    Qt::Key key;      // the key that answers then
    int result;
};

class QuestionBox : public ::testing::TestWithParam<QuestionCase>
{
};

TEST_P(QuestionBox, OnlyYesAndNoEndTheQuestionWhichIsOwnedByTheGivenWindow)
{
    QWidget owner;
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));

    ModalScript script;
    QWidget* boxOwner = nullptr;
    SeenMessageBox seen;
    bool openAfterEscAndClose = false;
    bool closeButton = true;
    const QuestionCase c = GetParam();
    script.then([&](QWidget* w) {
        boxOwner = w->parentWidget();
        closeButton = w->windowFlags().testFlag(Qt::WindowCloseButtonHint);
        if (c.button) {
            AnswerMessageBox(&seen, c.button)(w);
            return;
        }
        seen.title = w->windowTitle();
        QTest::keyClick(w, Qt::Key_Escape);
        w->close();
        openAfterEscAndClose = w->isVisible();
        QTest::keyClick(w, c.key);
    });
    EXPECT_EQ(MessageBox(&owner, QStringLiteral("Do you really want to quit?"),
                         QStringLiteral("Kelvane"), MB_YESNO | MB_ICONQUESTION),
              c.result);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(script.unexpected(), 0);
    EXPECT_EQ(boxOwner, &owner);
    EXPECT_FALSE(closeButton);
    EXPECT_EQ(seen.title, QStringLiteral("Kelvane"));
    if (c.button) {
        EXPECT_EQ(seen.text, QStringLiteral("Do you really want to quit?"));
        EXPECT_EQ(seen.icon, int(QMessageBox::Question));
        EXPECT_EQ(seen.buttons, int(QMessageBox::Yes | QMessageBox::No));
    } else {
        EXPECT_TRUE(openAfterEscAndClose);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, QuestionBox,
                         ::testing::Values(QuestionCase{QMessageBox::Yes, Qt::Key_unknown, IDYES},
                                           QuestionCase{QMessageBox::No, Qt::Key_unknown, IDNO},
                                           QuestionCase{0, Qt::Key_Return, IDYES},
                                           QuestionCase{0, Qt::Key_Y, IDYES},
                                           QuestionCase{0, Qt::Key_N, IDNO}));

}  // namespace

} // namespace kelvane
