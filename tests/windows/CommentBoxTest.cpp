// The comment strip: the ten-character comment box, the save group, and the keys of the
// main window while the comment box has the focus.
#include "mainwindow/PictureBox.h"
#include "support/Form1Fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class CommentBox : public Form1Fixture {};

TEST_F(CommentBox, AnEleventhCharacterBeepsAndIsCutAway) {
    ASSERT_TRUE(start());
    form->Text1->setFocus();
    QTest::keyClicks(form->Text1, "abcdefghij");
    EXPECT_EQ(fake.messages.beeps, 0);
    QTest::keyClicks(form->Text1, "k");
    EXPECT_EQ(form->Text1->text(), "abcdefghij");
    EXPECT_EQ(form->Text1->cursorPosition(), 10);
    EXPECT_EQ(fake.messages.beeps, 1);

    // Inserted in the middle, the characters after the tenth are lost; counted as
    // characters, not bytes.
    form->Text1->setText(QStringLiteral("日本語のコメン"));
    form->Text1->setCursorPosition(2);
    form->Text1->insert(QStringLiteral("ですね!"));
    EXPECT_EQ(form->Text1->text(), QStringLiteral("日本ですね!語のコメ"));
    EXPECT_EQ(fake.messages.beeps, 2);
}

TEST_F(CommentBox, TakingTheFocusSelectsTheWholeComment) {
    ASSERT_TRUE(start());
    form->Text1->setText("A12");
    form->chkAI->setFocus();
    form->Text1->setFocus(Qt::OtherFocusReason);
    EXPECT_EQ(form->Text1->selectedText(), "A12");
    QTest::keyClicks(form->Text1, "B");
    EXPECT_EQ(form->Text1->text(), "B");
}

TEST_F(CommentBox, SaveGroupIsEnabledAndDisabledTogether) {
    writeIni("[options]\nUseSourceApp=1\n[source app]\napp=/opt/capture/grab\n");
    ASSERT_TRUE(start());
    QList<QObject*> group{form->Command1, form->rsave, form->Topen, form->mnurSnP, form->mnuSnP};
    const auto enabled = [](QObject* o) {
        if (auto* w = qobject_cast<QWidget*>(o)) {
            return w->isEnabled();
        }
        return qobject_cast<QAction*>(o)->isEnabled();
    };
    for (QObject* o : group) {
        EXPECT_FALSE(enabled(o)) << o->objectName().toStdString();
    }
    form->SetSaveGroupEnabled(true);
    for (QObject* o : group) {
        EXPECT_TRUE(enabled(o)) << o->objectName().toStdString();
    }
    form->SetSaveGroupEnabled(false);
    for (QObject* o : group) {
        EXPECT_FALSE(enabled(o)) << o->objectName().toStdString();
    }
}

TEST_F(CommentBox, MenuShortcutsWinOverTheCommentBoxsEditingKeys) {
    ASSERT_TRUE(start());
    form->activateWindow();
    form->Text1->setFocus();
    form->Text1->setText("A1");
    fake.clipboard.bitmap = true;
    fake.clipboard.image = QImage(70, 50, QImage::Format_RGB32);
    fake.clipboard.image.fill(Qt::green);
    QTest::keyClick(form->Text1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(settings.ImageSource, 2); // the image was pasted ...
    EXPECT_EQ(form->Picture2->size(), QSize(70, 50));
    EXPECT_EQ(form->Text1->text(), "A1"); // ... and nothing went into the box

    // A key no menu item claims stays with the box.
    form->Text1->selectAll();
    QTest::keyClick(form->Text1, Qt::Key_Backspace);
    EXPECT_EQ(form->Text1->text(), "");
}

TEST_F(CommentBox, AltATicksAutoIncrementFromAnywhereInTheWindow) {
    ASSERT_TRUE(start());
    form->activateWindow();
    form->Text1->setFocus();
    EXPECT_FALSE(form->chkAI->isChecked());
    QTest::keyClick(form->Text1, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(form->chkAI->isChecked());
    QTest::keyClick(form->chkAI, Qt::Key_A, Qt::AltModifier);
    EXPECT_FALSE(form->chkAI->isChecked());
    EXPECT_EQ(form->Text1->text(), "");
}

} // namespace
