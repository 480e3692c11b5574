// Camera selection list and the warning box's repeat counter.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include "CameraSelect.h"
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
