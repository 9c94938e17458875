#include "platform/MessageBox.h"

#include "support/GuiTest.h"

#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

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

enum class Answer { Yes, No, Escape };

struct QuestionCase
{
    Answer answer;
    int result;
};

class QuestionBox : public ::testing::TestWithParam<QuestionCase>
{
};

TEST_P(QuestionBox, YesNoQuestionReturnsTheButtonAndIsOwnedByTheGivenWindow)
{
    QWidget owner;
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));

    ModalScript script;
    QWidget* boxOwner = nullptr;
    SeenMessageBox seen;
    const Answer answer = GetParam().answer;
    script.then([&](QWidget* w) {
        boxOwner = w->parentWidget();
        switch (answer) {
        case Answer::Yes:
            AnswerMessageBox(&seen, QMessageBox::Yes)(w);
            break;
        case Answer::No:
            AnswerMessageBox(&seen, QMessageBox::No)(w);
            break;
        case Answer::Escape:
            seen.seen = true;
            seen.title = w->windowTitle();
            QTest::keyClick(w, Qt::Key_Escape);
            break;
        }
    });
    EXPECT_EQ(MessageBox(&owner, QStringLiteral("Do you really want to quit?"),
                         QStringLiteral("Kelvane"), MB_YESNO | MB_ICONQUESTION),
              GetParam().result);
    EXPECT_TRUE(script.done());
    EXPECT_EQ(script.unexpected(), 0);
    EXPECT_EQ(boxOwner, &owner);
    EXPECT_EQ(seen.title, QStringLiteral("Kelvane"));
    if (answer != Answer::Escape) {
        EXPECT_EQ(seen.text, QStringLiteral("Do you really want to quit?"));
        EXPECT_EQ(seen.icon, int(QMessageBox::Question));
        EXPECT_EQ(seen.buttons, int(QMessageBox::Yes | QMessageBox::No));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, QuestionBox,
                         ::testing::Values(QuestionCase{Answer::Yes, IDYES},
                                           QuestionCase{Answer::No, IDNO},
                                           QuestionCase{Answer::Escape, IDNO}));

}  // namespace
