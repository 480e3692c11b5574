// Levels, gamma and contrast of the "more parameters" page.
//
// The page's writes to the camera ignore the SDK's answer (the casts to
// void below): the controls keep what the user chose, and the camera's own
// values come back with the next read of the page.
#include "MainWindow.h"

#include "ui_MainWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

#include <algorithm>
#include <cmath>

#include "DebugLine.h"
#include "NumberText.h"
#include "ZTCamFunc.h"

namespace {

constexpr int kLevelTimerMs = 1000;

// One side of the level pair with everything that belongs to it.
struct LevelSide {
    QSlider* slider;
    QLineEdit* field;
    QLabel* label;
    QCheckBox* box;
    bool& guard;
    int& timerId;
    int32_t property;
};

LevelSide levelSide(MainWindow& w, int which)
{
    Ui::MainWindow* ui = w.form();
    if (which == MainWindow::kLeftLevel)
        return {ui->hls_llvl, ui->txt_llvl, ui->lab_llvl, ui->chk_atl, w.m_bLeftLevelGuard, w.m_nLeftLevelTimerId,
                ZTCAM_PROP_LEFT_LEVEL};
    return {ui->hls_rlvl, ui->txt_rlvl, ui->lab_rlvl, ui->chk_atr, w.m_bRightLevelGuard, w.m_nRightLevelTimerId,
            ZTCAM_PROP_RIGHT_LEVEL};
}

// A guard is one-shot: true when it was set, and it is cleared on the way.
bool takeGuard(bool& guard)
{
    const bool was = guard;
    guard = false;
    return was;
}

// Moves a slider without its change slot acting: every notification the move
// causes finds the guard set; the guard is clear again afterwards.
void moveGuarded(bool& guard, QSlider* slider, int minimum, int maximum, int value)
{
    if (slider->minimum() != minimum || slider->maximum() != maximum) {
        guard = true;
        slider->setRange(minimum, maximum);
    }
    if (slider->value() != value) {
        guard = true;
        slider->setValue(value);
    }
    guard = false;
}

// The number a level or contrast field shows, read whole: a whole number in
// its slider's range. False for anything else, an empty field included.
bool fieldNumber(const QLineEdit* field, const QSlider* slider, int& value, QString* refusal = nullptr,
                 const char* name = "")
{
    const QString text = field->text();
    if (text.trimmed().isEmpty())
        return false;
    double number = 0;
    const QString row = NumberText::refusal(QString::fromLatin1(name), text, slider->minimum(), slider->maximum(), 0,
                                            QLocale(), &number);
    if (refusal)
        *refusal = row;
    if (!row.isNull())
        return false;
    value = static_cast<int>(number);
    return true;
}

// While typing: values at or below the bottom clear the field, so that a
// number never starts with a 0. Nothing else is taken away: a number out of
// range is refused when editing finishes, never cut to one that fits.
void limitFieldInput(QLineEdit* field, const QString& text, bool zeroAllowed)
{
    if (text.isEmpty())
        return;
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (ok && (zeroAllowed ? v < 0 : v <= 0))
        field->clear();
}

void showNumber(QLineEdit* field, int value)
{
    const QString text = QString::number(value);
    if (field->text() != text)
        field->setText(text);
}

// The number of a field whose editing finished, read before the guard is
// looked at; false when the guard swallows the edit or the field does not
// take the text: a row names the field and its range, and the field shows
// the slider's value again (as does a field left empty).
bool editedNumber(MainWindow& w, QLineEdit* field, const QSlider* slider, bool& guard, const char* name, int& value)
{
    QString refusal;
    const bool ok = fieldNumber(field, slider, value, &refusal, name);
    if (takeGuard(guard))
        return false;
    if (!refusal.isNull())
        w.onWritelog(refusal);
    if (!ok)
        showNumber(field, slider->value());
    return ok;
}

// The number a field shows for a write of its own: the slider's value when
// the field holds no number it takes.
int shownNumber(const QLineEdit* field, const QSlider* slider)
{
    int value = slider->value();
    fieldNumber(field, slider, value);
    return value;
}

}  // namespace

// ---------------------------------------------------------------- gamma and contrast

void MainWindow::on_hls_gamma_valueChanged(int value)
{
    if (takeGuard(m_bGammaGuard))
        return;
    if (m_curCam.handle)
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_GAMMA, value, 0);
    ui->dbSpinBox_gamma->setValue(value / 100.0);
}

void MainWindow::on_dbSpinBox_gamma_editingFinished()
{
    // Gamma is kept in hundredths: 1.15 must reach the camera as 115, not as
    // the 114.99... that the product of the double gives.
    const int hundredths = static_cast<int>(std::lround(ui->dbSpinBox_gamma->value() * 100.0));
    if (m_curCam.handle)
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_GAMMA, hundredths, 0);
    ui->hls_gamma->setValue(hundredths);
}

void MainWindow::on_hls_contrast_valueChanged(int value)
{
    if (takeGuard(m_bContrastGuard))
        return;
    if (m_curCam.handle)
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_CONTRAST, value, 0);
    showNumber(ui->txt_contrast, value);
}

void MainWindow::on_txt_contrast_editingFinished()
{
    int a = 0;
    if (!editedNumber(*this, ui->txt_contrast, ui->hls_contrast, m_bContrastGuard, "Contrast", a))
        return;
    if (m_curCam.handle)
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_CONTRAST, a, 0);
    ui->hls_contrast->setValue(a);
}

void MainWindow::on_txt_contrast_textEdited(QString text)
{
    limitFieldInput(ui->txt_contrast, text, false);
}

void MainWindow::on_txt_llvl_textEdited(QString text) { limitFieldInput(ui->txt_llvl, text, true); }

void MainWindow::on_txt_rlvl_textEdited(QString text) { limitFieldInput(ui->txt_rlvl, text, false); }

void MainWindow::writeShownLevelsAndContrast()
{
    if (!m_curCam.handle)
        return;
    // A camera that refuses them keeps its own.
    if (!ui->chk_atl->isChecked())
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_LEFT_LEVEL, shownNumber(ui->txt_llvl, ui->hls_llvl), 0);
    if (!ui->chk_atr->isChecked())
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_RIGHT_LEVEL, shownNumber(ui->txt_rlvl, ui->hls_rlvl), 0);
    (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_CONTRAST, shownNumber(ui->txt_contrast, ui->hls_contrast),
                              0);
}

// ---------------------------------------------------------------- levels

void MainWindow::on_hls_llvl_valueChanged(int value)
{
    if (takeGuard(m_bLeftLevelGuard))
        return;
    // Left stays below right also at the top end: at the right slider's
    // maximum there is no room above, so the left level steps down instead.
    const int top = ui->hls_rlvl->maximum();
    if (value >= top && ui->hls_llvl->minimum() <= top - 1) {
        ui->hls_llvl->setValue(top - 1);
        return;
    }
    if (ui->hls_llvl->value() >= ui->hls_rlvl->value())
        ui->hls_rlvl->setValue(ui->hls_llvl->value() + 1);
    if (!m_curCam.handle)
        return;
    showNumber(ui->txt_llvl, value);
    (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_LEFT_LEVEL, value, 0);
    storeCameraLevels(m_curCam, value, -1);
}

void MainWindow::on_hls_rlvl_valueChanged(int value)
{
    if (takeGuard(m_bRightLevelGuard))
        return;
    const int bottom = ui->hls_llvl->minimum();
    if (value <= bottom && ui->hls_rlvl->maximum() >= bottom + 1) {
        ui->hls_rlvl->setValue(bottom + 1);
        return;
    }
    if (ui->hls_llvl->value() >= ui->hls_rlvl->value())
        ui->hls_llvl->setValue(ui->hls_rlvl->value() - 1);
    if (!m_curCam.handle)
        return;
    showNumber(ui->txt_rlvl, value);
    (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_RIGHT_LEVEL, value, 0);
    storeCameraLevels(m_curCam, -1, value);
}

void MainWindow::on_txt_llvl_editingFinished()
{
    int a = 0;
    if (!editedNumber(*this, ui->txt_llvl, ui->hls_llvl, m_bLeftLevelGuard, "L Level", a))
        return;
    // The pair never crosses in the camera, not even for a moment: the typed
    // value is kept within the range below the right end, and the right level
    // makes room first.
    if (m_curCam.handle)
        a = std::max(ui->hls_llvl->minimum(), std::min(a, ui->hls_rlvl->maximum() - 1));
    if (a >= ui->hls_rlvl->value() || ui->hls_llvl->value() >= ui->hls_rlvl->value()) {
        const int r = std::max(a, ui->hls_llvl->value()) + 1;
        if (m_curCam.handle) {
            (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_RIGHT_LEVEL, r, 0);
            LUMA_DEBUG("MainWindow::on_txt_llvl_editingFinished", "RL val=%f", static_cast<double>(r));
            storeCameraLevels(m_curCam, -1, r);
        }
        ui->hls_rlvl->setValue(r);
        showNumber(ui->txt_rlvl, r);
    }
    if (m_curCam.handle) {
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_LEFT_LEVEL, a, 0);
        storeCameraLevels(m_curCam, a, -1);
    }
    ui->hls_llvl->setValue(a);
    showNumber(ui->txt_llvl, a);
}

void MainWindow::on_txt_rlvl_editingFinished()
{
    int a = 0;
    if (!editedNumber(*this, ui->txt_rlvl, ui->hls_rlvl, m_bRightLevelGuard, "R Level", a))
        return;
    if (m_curCam.handle)
        a = std::min(ui->hls_rlvl->maximum(), std::max(a, ui->hls_llvl->minimum() + 1));
    if (a <= ui->hls_llvl->value() || ui->hls_llvl->value() >= ui->hls_rlvl->value()) {
        const int l = std::min(a, ui->hls_rlvl->value()) - 1;
        if (m_curCam.handle) {
            (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_LEFT_LEVEL, l, 0);
            storeCameraLevels(m_curCam, l, -1);
        }
        ui->hls_llvl->setValue(l);
        showNumber(ui->txt_llvl, l);
    }
    if (m_curCam.handle) {
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_RIGHT_LEVEL, a, 0);
        LUMA_DEBUG("MainWindow::on_txt_rlvl_editingFinished", "RL val=%f", static_cast<double>(a));
        storeCameraLevels(m_curCam, -1, a);
    }
    ui->hls_rlvl->setValue(a);
    showNumber(ui->txt_rlvl, a);
}

void MainWindow::updateLevels(int which, bool write)
{
    struct Read {
        int bit;
        double value;
    };
    QVector<Read> reads;
    for (int bit : {kLeftLevel, kRightLevel}) {
        if (!(which & bit))
            continue;
        LevelSide side = levelSide(*this, bit);
        ZTCamPropAttr attr{};
        attr.id = side.property;
        if (ZTCAM_Prop_GetAttr(m_curCam.handle, &attr) == ZTCAM_STATUS_SUCCESS)
            moveGuarded(side.guard, side.slider, static_cast<int>(attr.minimum), static_cast<int>(attr.maximum),
                        side.slider->value());
        double v = 0;
        if (ZTCAM_Prop_GetValue(m_curCam.handle, side.property, &v, 0) == ZTCAM_STATUS_SUCCESS)
            reads.append({bit, v});
    }
    // Both sides are read before either slider moves, and they move in the
    // order that never crosses them: a left level above the right slider's
    // old value would push the right slider, whose slot writes that push
    // into the camera over the right level not yet read.
    if (reads.size() == 2 && static_cast<int>(reads[0].value) >= ui->hls_rlvl->value())
        std::swap(reads[0], reads[1]);
    for (const Read& read : reads) {
        LevelSide side = levelSide(*this, read.bit);
        const int level = static_cast<int>(read.value);
        // No guard: the slider's slot writes the value back and remembers it.
        if (side.slider->value() != level)
            side.slider->setValue(level);
        showNumber(side.field, level);
        if (write)
            (void)ZTCAM_Prop_SetValue(m_curCam.handle, side.property, read.value, 0);
    }
}

bool MainWindow::levelTimerTick(int timerId)
{
    if (timerId == 0)
        return false;
    if (timerId == m_nLeftLevelTimerId) {
        if (m_curCam.handle)
            updateLevels(kLeftLevel, false);
        return true;
    }
    if (timerId == m_nRightLevelTimerId) {
        if (m_curCam.handle)
            updateLevels(kRightLevel, false);
        return true;
    }
    return false;
}

void MainWindow::setAutoLevelState(int which, bool automatic)
{
    LevelSide side = levelSide(*this, which);
    side.box->setChecked(automatic);
    for (QWidget* w : std::initializer_list<QWidget*>{side.label, side.slider, side.field})
        w->setEnabled(!automatic);
    // At most one timer per side: a running one is replaced.
    if (side.timerId)
        killTimer(side.timerId);
    side.timerId = automatic ? startTimer(kLevelTimerMs) : 0;
}

void MainWindow::autoLevelClicked(int which)
{
    if (!m_curCam.handle)
        return;
    const bool left = ui->chk_atl->isChecked();
    const bool right = ui->chk_atr->isChecked();
    (void)ZTCAM_Capa_SetValue(m_curCam.handle, ZTCAM_CAPA_AUTO_LEVEL_MODE, left || right ? 1 : 0);
    (void)ZTCAM_Capa_SetValue(m_curCam.handle, ZTCAM_CAPA_AUTO_LEVELS, (left ? 1 : 0) + (right ? 2 : 0));
    LevelSide side = levelSide(*this, which);
    if (side.box->isChecked()) {
        setAutoLevelState(which, true);
        return;
    }
    setAutoLevelState(which, false);
    updateLevels(which, true);
    // Back by hand: the level goes to the end of its range.
    const int end = which == kLeftLevel ? side.slider->minimum() : side.slider->maximum();
    side.slider->setValue(end);
    showNumber(side.field, side.slider->value());
}

void MainWindow::on_chk_atl_clicked() { autoLevelClicked(kLeftLevel); }

void MainWindow::on_chk_atr_clicked() { autoLevelClicked(kRightLevel); }

void MainWindow::restoreCameraLevels()
{
    auto it = m_mapCamLevels.constFind(static_cast<int>(m_curCam.index));
    if (it == m_mapCamLevels.constEnd())
        return;
    // A right level of 0 was never set for this camera (the entry was made
    // by a left move): writing it would put the right end below the left.
    const bool right = it->right > 0 && it->right >= ui->hls_rlvl->minimum() && it->right <= ui->hls_rlvl->maximum();
    double cameraRight = 0;
    if (!right && ZTCAM_Prop_GetValue(m_curCam.handle, ZTCAM_PROP_RIGHT_LEVEL, &cameraRight, 0) != ZTCAM_STATUS_SUCCESS)
        cameraRight = ui->hls_rlvl->maximum();
    const int rightEnd = right ? it->right : static_cast<int>(cameraRight);
    if (it->left >= ui->hls_llvl->minimum() && it->left <= ui->hls_llvl->maximum() && it->left < rightEnd)
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_LEFT_LEVEL, it->left, 0);
    if (right)
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, ZTCAM_PROP_RIGHT_LEVEL, it->right, 0);
}

void MainWindow::followPixelFormat(const OpenedCamera& camera)
{
    if (!camera.handle)
        return;
    if (camera.handle == m_curCam.handle) {
        updateLevels(kBothLevels, false);
        ZTCamElement element{};
        ZTCamFunc::instance()->GetGenICamElement(element, camera.handle, "PixelFormat");
        const QString entry = ZTCamFunc::CurrentEntryName(element);
        if (!entry.isEmpty())
            emit SignalUpdatePixelFormat(entry);
    }
    // The camera moved its levels to the new depth; levels remembered on the
    // old one would be written back over them on the next switch to it.
    if (m_mapCamLevels.contains(static_cast<int>(camera.index))) {
        double left = -1;
        double right = -1;
        (void)ZTCAM_Prop_GetValue(camera.handle, ZTCAM_PROP_LEFT_LEVEL, &left, 0);  // -1: kept as it is
        (void)ZTCAM_Prop_GetValue(camera.handle, ZTCAM_PROP_RIGHT_LEVEL, &right, 0);
        storeCameraLevels(camera, static_cast<int>(left), static_cast<int>(right));
    }
    updatePixelFormatInfo();
}

void MainWindow::updateImageControls()
{
    if (!m_curCam.handle)
        return;
    int32_t mode = 0;
    if (ZTCAM_Capa_GetValue(m_curCam.handle, ZTCAM_CAPA_AUTO_LEVELS, &mode) == ZTCAM_STATUS_SUCCESS) {
        setAutoLevelState(kLeftLevel, (mode & 1) != 0);
        setAutoLevelState(kRightLevel, (mode & 2) != 0);
    }
    double v = 0;
    if (ZTCAM_Prop_GetValue(m_curCam.handle, ZTCAM_PROP_GAMMA, &v, 0) == ZTCAM_STATUS_SUCCESS) {
        const int gamma = static_cast<int>(std::lround(v));
        moveGuarded(m_bGammaGuard, ui->hls_gamma, ui->hls_gamma->minimum(), ui->hls_gamma->maximum(), gamma);
        ui->dbSpinBox_gamma->setValue(gamma / 100.0);
    }
    if (ZTCAM_Prop_GetValue(m_curCam.handle, ZTCAM_PROP_CONTRAST, &v, 0) == ZTCAM_STATUS_SUCCESS) {
        const int contrast = static_cast<int>(v);
        moveGuarded(m_bContrastGuard, ui->hls_contrast, ui->hls_contrast->minimum(), ui->hls_contrast->maximum(),
                    contrast);
        ui->txt_contrast->setText(QString::number(contrast));
    }
    restoreCameraLevels();
    updateLevels(kBothLevels, false);
}

void MainWindow::on_pb_default_clicked()
{
    if (!m_curCam.handle)
        return;
    for (int32_t id : {ZTCAM_PROP_GAMMA, ZTCAM_PROP_CONTRAST, ZTCAM_PROP_5}) {
        ZTCamPropAttr attr{};
        attr.id = id;
        if (ZTCAM_Prop_GetAttr(m_curCam.handle, &attr) == ZTCAM_STATUS_SUCCESS)
            (void)ZTCAM_Prop_SetValue(m_curCam.handle, id, attr.defaultValue, 0);
    }
    ZTCamCapaAttr capa{};
    capa.id = ZTCAM_CAPA_AUTO_LEVELS;
    if (ZTCAM_Capa_GetAttr(m_curCam.handle, &capa) == ZTCAM_STATUS_SUCCESS)
        (void)ZTCAM_Capa_SetValue(m_curCam.handle, ZTCAM_CAPA_AUTO_LEVELS, capa.defaultValue);
    updateImageControls();
    for (int bit : {kLeftLevel, kRightLevel}) {
        LevelSide side = levelSide(*this, bit);
        ZTCamPropAttr attr{};
        attr.id = side.property;
        if (ZTCAM_Prop_GetAttr(m_curCam.handle, &attr) != ZTCAM_STATUS_SUCCESS)
            continue;
        const int lo = static_cast<int>(attr.minimum);
        const int hi = static_cast<int>(attr.maximum);
        moveGuarded(side.guard, side.slider, lo, hi, bit == kLeftLevel ? lo : hi);
        side.field->setText(QString::number(bit == kLeftLevel ? lo : hi));
        (void)ZTCAM_Prop_SetValue(m_curCam.handle, side.property, attr.defaultValue, 0);
    }
    onWritelog(tr("Setting more parameters of the current camera to default values success"));
}

// ---------------------------------------------------------------- flips

void MainWindow::on_chk_hflip_clicked(bool checked)
{
    if (m_curCam.handle)
        (void)ZTCAM_Capa_SetValue(m_curCam.handle, ZTCAM_CAPA_FLIP_HORIZONTAL, checked ? 1 : 0);
}

void MainWindow::on_chk_vflip_clicked(bool checked)
{
    if (m_curCam.handle)
        (void)ZTCAM_Capa_SetValue(m_curCam.handle, ZTCAM_CAPA_FLIP_VERTICAL, checked ? 1 : 0);
}
