// The "more parameters" page: gamma, contrast and the level pair, by hand and
// automatic, remembered per camera.
#include "../SaveFixture.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSlider>
#include <QTableWidget>
#include <QtTest/QTest>

#include <cmath>
#include <functional>

namespace {

constexpr const char* kTwoMono8 =
    "[camera]\nserial = LVL01\nsensor_width=64\nsensor_height=48\n"
    "[camera]\nserial = LVL02\nsensor_width=64\nsensor_height=48\n";

double prop(ZTCamHandle handle, int id)
{
    double v = -1;
    EXPECT_EQ(ZTCAM_Prop_GetValue(handle, id, &v, 0), ZTCAM_STATUS_SUCCESS);
    return v;
}

int capa(ZTCamHandle handle, int id)
{
    int32_t v = -1;
    EXPECT_EQ(ZTCAM_Capa_GetValue(handle, id, &v), ZTCAM_STATUS_SUCCESS);
    return v;
}

}  // namespace

class ImageControls : public SaveFixture {
protected:
    ZTCamHandle cam(int i = 0) const { return window->m_vecOpenedCam.at(i).handle; }
    double left(int i = 0) const { return prop(cam(i), ZTCAM_PROP_LEFT_LEVEL); }
    double right(int i = 0) const { return prop(cam(i), ZTCAM_PROP_RIGHT_LEVEL); }
    void typeInto(QLineEdit* field, const QString& text)
    {
        field->setText(text);
        emit field->editingFinished();
    }
};

TEST_F(ImageControls, GammaFromTheSpinBoxReachesTheCameraInHundredths)
{
    open(kOneCamera, 1);
    for (double gamma : {1.50, 1.15, 2.29}) {
        ui()->dbSpinBox_gamma->setValue(gamma);
        emit ui()->dbSpinBox_gamma->editingFinished();
        const int hundredths = static_cast<int>(std::lround(gamma * 100));
        EXPECT_EQ(prop(cam(), ZTCAM_PROP_GAMMA), hundredths) << gamma;
        EXPECT_EQ(ui()->hls_gamma->value(), hundredths);
    }
    ui()->hls_contrast->setValue(150);
    EXPECT_EQ(prop(cam(), ZTCAM_PROP_CONTRAST), 150);
    EXPECT_EQ(ui()->txt_contrast->text(), "150");
}

// Live start writes the contrast as the field shows it, read whole.
TEST_F(ImageControls, LiveStartWritesTheContrastTheFieldShows)
{
    open(kOneCamera, 1);
    ui()->hls_contrast->setValue(120);
    ui()->txt_contrast->setText("1e1");  // typed, not yet finished
    goLive();
    EXPECT_EQ(prop(cam(), ZTCAM_PROP_CONTRAST), 10);
}

TEST_F(ImageControls, TheLevelPairKeepsLeftBelowRightAtBothEnds)
{
    open(kOneCamera, 1);  // Mono 12: levels 0..4095
    const int top = ui()->hls_rlvl->maximum();
    ASSERT_EQ(top, 4095);

    // Onto the right slider: the right one steps up and the camera follows.
    ui()->hls_rlvl->setValue(1000);
    ui()->hls_llvl->setValue(1000);
    EXPECT_EQ(ui()->hls_rlvl->value(), 1001);
    EXPECT_EQ(left(), 1000);
    EXPECT_EQ(right(), 1001);

    // Left at the maximum: no room above, so it stays one below.
    ui()->hls_llvl->setValue(top);
    EXPECT_EQ(left(), top - 1);
    EXPECT_EQ(right(), top);
    EXPECT_LT(ui()->hls_llvl->value(), ui()->hls_rlvl->value());

    // Right at the minimum, by slider and by field.
    ui()->hls_rlvl->setValue(0);
    EXPECT_EQ(left(), 0);
    EXPECT_EQ(right(), 1);
    typeInto(ui()->txt_llvl, QString::number(top));
    EXPECT_EQ(left(), top - 1);
    EXPECT_EQ(right(), top);
    typeInto(ui()->txt_rlvl, "0");
    EXPECT_EQ(left(), 0);
    EXPECT_EQ(right(), 1);
    EXPECT_EQ(ui()->txt_rlvl->text(), "1");
}

TEST_F(ImageControls, LevelAndContrastFieldsRefuseWhatIsNoLevel)
{
    open(kOneCamera, 1);
    typeInto(ui()->txt_llvl, "200");
    typeInto(ui()->txt_rlvl, "3000");
    ASSERT_EQ(left(), 200);

    // A number too long for an int is refused, not written as 0.
    typeInto(ui()->txt_llvl, "99999999999");
    EXPECT_EQ(left(), 200);
    EXPECT_EQ(ui()->txt_llvl->text(), "200");
    typeInto(ui()->txt_rlvl, "99999999999");
    EXPECT_EQ(right(), 3000);

    // While typing only a leading 0 goes; a number above the range stays
    // as typed until editing finishes.
    struct Case {
        QLineEdit* field;
        const char* typed;
        const char* shown;
    } cases[] = {
        {ui()->txt_llvl, "40960", "40960"},
        {ui()->txt_llvl, "0", "0"},     // 0 is a left level
        {ui()->txt_rlvl, "0", ""},      // but neither a right level
        {ui()->txt_contrast, "0", ""},  // nor a contrast
    };
    for (const Case& c : cases) {
        c.field->setText(c.typed);
        emit c.field->textEdited(c.typed);
        EXPECT_EQ(c.field->text(), c.shown) << c.field->objectName().toStdString() << " " << c.typed;
    }
}

// Every box of the page and of the column's buffer and rate settings takes a
// typed number whole, or refuses it with a row and shows the value in use.
TEST_F(ImageControls, TypedNumbersAreTakenWholeOrRefusedWithARow)
{
    open(kOneCamera, 1);
    ui()->txt_frames->setText("5000");  // no pull-down of the stack size
    typeInto(ui()->txt_llvl, "200");
    ui()->hls_contrast->setValue(100);
    const auto contrast = [&] { return prop(cam(), ZTCAM_PROP_CONTRAST); };
    const auto leftLevel = [&] { return left(); };
    const auto gamma = [&] { return prop(cam(), ZTCAM_PROP_GAMMA); };
    const auto previewFps = [&] { return double(window->m_nPreviewFps); };
    const auto buffers = [&] { return double(window->m_nBufferCount); };
    const auto stack = [&] { return double(window->m_nStackNum); };
    const QString contrastMax = QString::number(ui()->hls_contrast->maximum());
    const struct {
        QWidget* box;
        const char* typed;
        QString row;  // empty: taken
        std::function<double()> inUse;
        double expected;
    } cases[] = {
        {ui()->txt_contrast, "250", "Contrast: 250 is outside 0.." + contrastMax, contrast, 100},
        {ui()->txt_contrast, "1,5", "Contrast: 1,5 is not a number", contrast, 100},
        {ui()->txt_contrast, "1e1", "", contrast, 10},
        {ui()->txt_llvl, "1.5", "L Level: 1.5 is not a whole number", leftLevel, 200},
        {ui()->txt_rlvl, "5000", "R Level: 5000 is outside 0..4095", [&] { return right(); }, 3000},
        {ui()->dbSpinBox_gamma, "1,5", "Gamma: 1,5 is not a number", gamma, 100},
        {ui()->dbSpinBox_gamma, "1.155", "Gamma: 1.155 has more than 2 decimals", gamma, 100},
        {ui()->dbSpinBox_gamma, "1.5e0", "", gamma, 150},
        {ui()->dbSpinBox_gamma, "nan", "Gamma: nan is not a number", gamma, 150},
        {ui()->spinBox_previewFps, "1000", "Preview Refresh Speed: 1000 is outside 0..60", previewFps, 25},
        {ui()->spinBox_previewFps, "1e1", "", previewFps, 10},
        {ui()->spinBox_bufferCount, "1,5", "Acquisition Buffers: 1,5 is not a number", buffers, 4},
        {ui()->spinBox_bufferCount, "2", "Acquisition Buffers: 2 is outside 4..10000", buffers, 4},
        {ui()->spinBox_stackNum, "1000", "Stack: 1000 is outside 1..999", stack, 1},
        {ui()->spinBox_stackNum, "12", "", stack, 12},
    };
    typeInto(ui()->txt_rlvl, "3000");
    for (const auto& c : cases) {
        const int rows = logRows().size();
        auto* spin = qobject_cast<QAbstractSpinBox*>(c.box);
        auto* field = qobject_cast<QLineEdit*>(c.box);
        if (spin) {
            spin->selectAll();
        } else {
            field->clear();
        }
        QTest::keyClicks(c.box, c.typed);
        QTest::keyClick(c.box, Qt::Key_Return);
        const QString shown = spin ? spin->text() : field->text();
        EXPECT_EQ(logRows().mid(rows).join('|'), c.row) << c.typed;
        EXPECT_EQ(c.inUse(), c.expected) << c.typed;
        if (!c.row.isEmpty()) {
            EXPECT_NE(shown, c.typed) << "the box shows the value in use again";
        }
    }
}

// Where decimals are written with a comma, "1,5" is one and a half and a
// point groups thousands: "1.000" is no number.
TEST_F(ImageControls, BoxesReadTheUsersLocale)
{
    QLocale::setDefault(QLocale(QLocale::German));
    open(kOneCamera, 1);
    QLocale::setDefault(QLocale::c());
    for (const char* typed : {"1,5", "1.000"}) {
        ui()->dbSpinBox_gamma->selectAll();
        QTest::keyClicks(ui()->dbSpinBox_gamma, typed);
        QTest::keyClick(ui()->dbSpinBox_gamma, Qt::Key_Return);
    }
    EXPECT_EQ(prop(cam(), ZTCAM_PROP_GAMMA), 150);
    EXPECT_EQ(lastLogRow(), "Gamma: 1.000 is not a number");
    EXPECT_EQ(ui()->dbSpinBox_gamma->text(), "1,50");
}

TEST_F(ImageControls, AutomaticLeftLevelFollowsTheCameraEachTick)
{
    open(kOneCamera, 1);
    ui()->chk_atl->click();
    EXPECT_EQ(capa(cam(), ZTCAM_CAPA_AUTO_LEVELS), 1);
    EXPECT_EQ(capa(cam(), ZTCAM_CAPA_AUTO_LEVEL_MODE), 1);
    EXPECT_FALSE(ui()->hls_llvl->isEnabled());
    EXPECT_FALSE(ui()->txt_llvl->isEnabled());
    const int timer = window->m_nLeftLevelTimerId;
    ASSERT_NE(timer, 0);
    EXPECT_EQ(window->m_nRightLevelTimerId, 0);
    EXPECT_FALSE(window->levelTimerTick(timer + 1000));

    // The camera's own level (2 % of the range) reaches the controls.
    ASSERT_TRUE(window->levelTimerTick(timer));
    EXPECT_EQ(ui()->hls_llvl->value(), 81);
    EXPECT_EQ(ui()->txt_llvl->text(), "81");

    // Another pixel format moves the automatic level; the next tick shows it.
    ZTCamElement format{};
    ASSERT_EQ(ZTCAM_GenICam_ElementAttr(cam(), &format, "PixelFormat", ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS);
    format.value.intValue = 0;  // Mono 8
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(cam(), &format, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS);
    window->levelTimerTick(timer);
    EXPECT_EQ(ui()->hls_llvl->maximum(), 255);
    EXPECT_EQ(ui()->hls_llvl->value(), 5);

    // Unticked: back by hand, at the minimum.
    ui()->chk_atl->click();
    EXPECT_EQ(window->m_nLeftLevelTimerId, 0);
    EXPECT_TRUE(ui()->hls_llvl->isEnabled());
    EXPECT_EQ(capa(cam(), ZTCAM_CAPA_AUTO_LEVELS), 0);
    EXPECT_EQ(ui()->hls_llvl->value(), 0);
    EXPECT_EQ(left(), 0);
}

TEST_F(ImageControls, DefaultRestoresGammaContrastAndLevels)
{
    open(kOneCamera, 1);
    ui()->hls_gamma->setValue(250);
    ui()->hls_contrast->setValue(30);
    ui()->chk_atr->click();
    typeInto(ui()->txt_llvl, "500");
    ASSERT_EQ(prop(cam(), ZTCAM_PROP_GAMMA), 250);

    ui()->pb_default->click();
    EXPECT_EQ(prop(cam(), ZTCAM_PROP_GAMMA), 100);
    EXPECT_EQ(prop(cam(), ZTCAM_PROP_CONTRAST), 100);
    EXPECT_EQ(ui()->hls_gamma->value(), 100);
    EXPECT_DOUBLE_EQ(ui()->dbSpinBox_gamma->value(), 1.0);
    EXPECT_EQ(ui()->txt_contrast->text(), "100");
    EXPECT_EQ(capa(cam(), ZTCAM_CAPA_AUTO_LEVELS), 0);
    EXPECT_FALSE(ui()->chk_atr->isChecked());
    EXPECT_EQ(window->m_nRightLevelTimerId, 0);
    EXPECT_EQ(left(), 0);
    EXPECT_EQ(right(), 4095);
    EXPECT_EQ(ui()->hls_llvl->value(), 0);
    EXPECT_EQ(ui()->txt_rlvl->text(), "4095");
    EXPECT_EQ(lastLogRow(), "Setting more parameters of the current camera to default values success");

    // No guard is left behind: the next move reaches the camera.
    ui()->hls_llvl->setValue(7);
    EXPECT_EQ(left(), 7);
    ui()->hls_gamma->setValue(120);
    EXPECT_EQ(prop(cam(), ZTCAM_PROP_GAMMA), 120);
}

TEST_F(ImageControls, EachCameraGetsItsOwnLevelsBackOnSwitch)
{
    open(kTwoMono8, 2);
    typeInto(ui()->txt_rlvl, "200");
    typeInto(ui()->txt_llvl, "30");
    ui()->cb_cam_idx->setCurrentIndex(1);
    ASSERT_EQ(window->m_curCam.index, 1u);
    EXPECT_EQ(ui()->hls_llvl->value(), 0);
    EXPECT_EQ(ui()->hls_rlvl->value(), 255);
    // Only the left level of camera 1 is set by hand, above camera 0's right.
    typeInto(ui()->txt_llvl, "220");
    EXPECT_EQ(right(1), 255);

    // Something else moves camera 0's levels meanwhile.
    ZTCAM_Prop_SetValue(cam(0), ZTCAM_PROP_LEFT_LEVEL, 0, 0);
    ZTCAM_Prop_SetValue(cam(0), ZTCAM_PROP_RIGHT_LEVEL, 255, 0);

    ui()->cb_cam_idx->setCurrentIndex(0);
    EXPECT_EQ(left(0), 30);
    EXPECT_EQ(right(0), 200);
    EXPECT_EQ(ui()->hls_llvl->value(), 30);
    EXPECT_EQ(ui()->hls_rlvl->value(), 200);

    ui()->cb_cam_idx->setCurrentIndex(1);
    EXPECT_EQ(left(1), 220);
    EXPECT_EQ(right(1), 255);
    EXPECT_EQ(ui()->hls_llvl->value(), 220);
    EXPECT_EQ(ui()->hls_rlvl->value(), 255);
    // Switching never wrote one camera's levels into the other.
    EXPECT_EQ(left(0), 30);
    EXPECT_EQ(right(0), 200);
}
