// Camera selection list and the warning box's repeat counter.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "CameraSelect.h"
#include "TextFit.h"
#include "../TestSupport.h"
#include "ZtMsgBox.h"

namespace {

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override { testApp(); }
};

TEST_F(DialogsTest, CameraSelectListsEveryCameraAndAllAndPicksAllByDefault)
{
    CameraSelect dialog;
    dialog.setCameraCount(3);
    auto* combo = dialog.findChild<QComboBox*>("cb_CameraSelect");
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(0), "Camera0");
    EXPECT_EQ(combo->itemText(1), "Camera1");
    EXPECT_EQ(combo->itemText(2), "Camera2");
    EXPECT_EQ(combo->itemText(3), "AllCamera");
    EXPECT_EQ(combo->itemData(3).toInt(), 3);
    EXPECT_EQ(combo->itemData(1).toInt(), 1);
    EXPECT_EQ(dialog.findChild<QLabel*>("CameraCount")->text(), "Camera Count:3");
    EXPECT_EQ(dialog.selectedCamera(), 3);

    combo->setCurrentIndex(1);
    EXPECT_EQ(dialog.selectedCamera(), 1);

    // Filling again starts over.
    dialog.setCameraCount(2);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(dialog.selectedCamera(), 2);
}

TEST_F(DialogsTest, CameraSelectWithNoCamerasStaysAsBuilt)
{
    CameraSelect dialog;
    dialog.setCameraCount(0);
    EXPECT_EQ(dialog.findChild<QComboBox*>("cb_CameraSelect")->count(), 0);
    EXPECT_EQ(dialog.findChild<QLabel*>("CameraCount")->text(), "Camera Count:");
    EXPECT_EQ(dialog.selectedCamera(), 0);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowContextHelpButtonHint);
}

TEST_F(DialogsTest, CameraSelectHoldsItsWholeLayoutWhateverTheFont)
{
    // A font wider than the one the form was measured with.
    QFont wide = QApplication::font();
    wide.setPointSize(wide.pointSize() * 2);
    QApplication::setFont(wide);
    CameraSelect dialog;
    dialog.setCameraCount(2);
    QApplication::setFont(QFont());
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(buttons, nullptr);
    const QWidget* area = buttons->parentWidget();
    EXPECT_TRUE(dialog.rect().contains(area->geometry())) << area->geometry().right() << " " << dialog.width();
    EXPECT_GE(area->width(), area->sizeHint().width());
    EXPECT_GE(dialog.width(), 388);  // never smaller than the form
}

TEST_F(DialogsTest, TextFitGrowsIntoFreeRoomThenWraps)
{
    QWidget parent;
    parent.resize(300, 100);
    auto* left = new QLabel("x", &parent);
    left->setGeometry(0, 0, 40, 20);
    auto* label = new QLabel("A text far longer than its box", &parent);
    label->setGeometry(60, 0, 30, 20);
    auto* right = new QLabel("y", &parent);
    right->setGeometry(150, 0, 40, 20);
    const int wanted = label->sizeHint().width();
    ASSERT_GT(wanted, 30 + 59 + 19);  // more than the room beside it
    EXPECT_FALSE(TextFit::fit(label) && label->width() >= wanted);
    // It took the room on both sides without touching its neighbours ...
    EXPECT_EQ(label->geometry().left(), 40);
    EXPECT_EQ(label->geometry().right(), 149);
    // ... and the rest in lines below.
    EXPECT_TRUE(label->wordWrap());
    EXPECT_GT(label->height(), 20);

    // A text that fits keeps its place and size.
    const QRect before = left->geometry();
    EXPECT_TRUE(TextFit::fit(left));
    EXPECT_EQ(left->geometry(), before);
}

TEST_F(DialogsTest, MsgBoxWarnsAtOnceAndAgainAfterFifteenBumps)
{
    ZtMsgBox box;
    EXPECT_EQ(box.windowTitle(), "LumaDeck");
    EXPECT_TRUE(box.repeatCountReached(15));
    EXPECT_TRUE(box.findChild<QPushButton*>("pb_cancel")->isHidden());

    box.show();
    box.findChild<QPushButton*>("pb_ok")->click();
    EXPECT_TRUE(box.isHidden());
    EXPECT_FALSE(box.repeatCountReached(15));
    for (int i = 0; i < 14; ++i)
        box.bumpRepeatCount();
    EXPECT_FALSE(box.repeatCountReached(15));
    box.bumpRepeatCount();
    EXPECT_TRUE(box.repeatCountReached(15));

    // Cancel resets the counter just like OK.
    QMetaObject::invokeMethod(&box, "on_pb_cancel_clicked");
    EXPECT_EQ(box.repeatCount(), 0);
}

TEST_F(DialogsTest, MsgBoxShowsTheGivenMessage)
{
    ZtMsgBox box;
    auto* text = box.findChild<QTextEdit*>("te_content");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->toPlainText().contains("FPGA High Temperature Warning!"));
    EXPECT_TRUE(text->isReadOnly());
    box.setMessage("Sensor too hot");
    EXPECT_EQ(text->toPlainText(), "Sensor too hot");
    EXPECT_EQ(text->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

}  // namespace
