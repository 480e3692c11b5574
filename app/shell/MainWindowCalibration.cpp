// Flat-field correction, DSNU / PRNU calibration data and copying the current
// camera's settings to the other opened cameras.
#include "MainWindow.h"

#include "ui_MainWindow.h"

#include <QElapsedTimer>
#include <QFile>

#include <platform/os/SystemInfo.h>

#include "DebugLine.h"
#include "ElementText.h"
#include "UserPrompt.h"
#include "ZTCamFunc.h"

namespace {

// The flat-field phases read capability 15 until the camera leaves the
// phase's state. The time spent polling (not the time a box is open) is
// limited, so a camera that never answers cannot hold the window.
constexpr qint64 kFfcPollBudgetMs = 5000;
constexpr int kFfcPollPauseMs = 20;
// Polls of a status that must grow after a calibration command is copied.
constexpr int kStatusPollBudget = 100;
constexpr int kStatusPollMs = 50;
constexpr int kPanelRefreshPauseMs = 500;

class FlatFieldPoll {
public:
    explicit FlatFieldPoll(ZTCamHandle handle) : m_handle(handle) {}
    // Reads until a read succeeds with a value `accept` takes. False once
    // the budget is spent.
    template <typename Accept>
    bool until(Accept accept, int32_t& value)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            if (m_reads++ > 0)
                platform::os::sleepMs(kFfcPollPauseMs);
            if (ZTCAM_Capa_GetValue(m_handle, ZTCAM_CAPA_FLAT_FIELD, &value) == ZTCAM_STATUS_SUCCESS &&
                accept(value)) {
                m_spentMs += clock.elapsed();
                return true;
            }
            if (m_spentMs + clock.elapsed() >= kFfcPollBudgetMs) {
                m_spentMs += clock.elapsed();
                return false;
            }
        }
    }

private:
    ZTCamHandle m_handle;
    qint64 m_spentMs = 0;
    int m_reads = 0;
};

void message(QWidget* parent, const char* text)
{
    UserPrompt::instance().information(parent, QStringLiteral("Message"), QString::fromLocal8Bit(text),
                                       QMessageBox::Ok);
}

bool outside(const ZTCamElement& e)
{
    const bool asInteger = e.value.intValue < e.minimum.intValue || e.value.intValue > e.maximum.intValue;
    const bool asDouble = e.value.floatValue < e.minimum.floatValue || e.value.floatValue > e.maximum.floatValue;
    return asInteger && asDouble;
}

}  // namespace

// ---------------------------------------------------------------- flat field

void MainWindow::on_pb_ffc_clicked()
{
    if (!m_curCam.handle || (m_nFfcStep != 1 && m_nFfcStep != 2))
        return;
    ui->pb_ffc->setEnabled(false);
    ui->chk_ffc->setEnabled(false);
    FlatFieldPoll poll(m_curCam.handle);
    int32_t value = 0;
    if (m_nFfcStep == 1) {
        // The polls below tell what the camera made of the request.
        (void)ZTCAM_Capa_SetValue(m_curCam.handle, ZTCAM_CAPA_FLAT_FIELD, 1);
        bool answered = poll.until([](int32_t) { return true; }, value);
        while (answered && value == 1) {
            message(this, "Move to other position!");
            answered = poll.until([](int32_t) { return true; }, value);
        }
        if (answered) {
            m_nFfcStep = 2;
        } else {
            message(this, "Calc shading correction failed!");
            m_nFfcStep = 1;
        }
    } else {
        (void)ZTCAM_Capa_SetValue(m_curCam.handle, ZTCAM_CAPA_FLAT_FIELD, ZTCAM_FLAT_FIELD_WORKING);  // polled below
        const bool answered = poll.until([](int32_t v) { return v != ZTCAM_FLAT_FIELD_WORKING; }, value);
        if (answered && value != 0) {
            ui->chk_ffc->setChecked(true);
            message(this, "Calc shading correction success!");
        } else {
            message(this, "Calc shading correction failed!");
        }
        m_nFfcStep = 1;
    }
    ui->pb_ffc->setEnabled(true);
    ui->chk_ffc->setEnabled(true);
}

void MainWindow::on_chk_ffc_clicked(bool checked)
{
    if (!m_curCam.handle)
        return;
    if (ZTCAM_Capa_SetValue(m_curCam.handle, ZTCAM_CAPA_FLAT_FIELD, checked ? ZTCAM_FLAT_FIELD_ON : 0) !=
        ZTCAM_STATUS_SUCCESS) {
        message(this, "Please click the button FFC first!");
        ui->chk_ffc->setChecked(false);
    }
}

// ---------------------------------------------------------------- calibration data

bool MainWindow::moveCalibrationData(const QString& path, int direction)
{
    // The SDK gets the name in the file system's own encoding.
    const QByteArray name = QFile::encodeName(path);
    LUMA_DEBUG("MainWindow::moveCalibrationData", "File:%s", name.constData());
    const ZTCamStatus status = ui->comboBoxBackGround->currentIndex() == 1
                                   ? ZTCAM_GenICam_PRNUDataRW(m_curCam.handle, name.constData(), direction)
                                   : ZTCAM_GenICam_DSNUDataRW(m_curCam.handle, name.constData(), direction);
    return status == ZTCAM_STATUS_SUCCESS;
}

void MainWindow::on_pushButtonRead_clicked()
{
    QString path = UserPrompt::instance().getSaveFileName(this, QStringLiteral("LumaDeck"), m_strImgDir,
                                                          QStringLiteral("Text(*.txt);;All(*.*)"));
    if (path.isEmpty())
        return;
    if (path.right(4) != QLatin1String(".txt"))
        path += QStringLiteral(".txt");
    const bool ok = moveCalibrationData(path, ZTCAM_DATA_CAMERA_TO_FILE);
    UserPrompt::instance().about(this, QStringLiteral("LumaDeck"),
                                 ok ? QStringLiteral("Data read completed") : QStringLiteral("Failed write data to file"));
}

void MainWindow::on_pushButtonWrite_clicked()
{
    const QString path = UserPrompt::instance().getOpenFileName(this, QStringLiteral("LumaDeck"), m_strImgDir,
                                                                QStringLiteral("Text(*.txt)"));
    if (path.isEmpty())
        return;
    const bool ok = moveCalibrationData(path, ZTCAM_DATA_FILE_TO_CAMERA);
    UserPrompt::instance().about(this, QStringLiteral("LumaDeck"),
                                 ok ? QStringLiteral("Data write completed") : QStringLiteral("Failed write data to camera"));
}

// ---------------------------------------------------------------- settings to all cameras

QList<int> MainWindow::SyncAllCameraElement(ZTCamElement element)
{
    QList<int> refused;
    const int current = ui->cb_cam_idx->currentIndex();
    const QString currentSn = m_mapCamSN.value(current);
    if (!m_mapHostCam.value(current, false))
        return refused;
    // An enumeration goes by the name of its entry: cameras of other models
    // list their entries in another order, or lack one.
    const QString entry =
        element.type == ZTCAM_ELEM_ENUMERATION ? ZTCamFunc::CurrentEntryName(element) : QString();
    for (int i = 0; i < m_vecOpenedCam.size(); ++i) {
        const OpenedCamera& camera = m_vecOpenedCam.at(i);
        if (camera.handle == m_curCam.handle || m_mapCamSN.value(i) == currentSn)
            continue;
        ZTCamElement copy = element;
        ZTCamElement own{};
        // A camera that cannot tell its entries refuses the write below.
        if (!entry.isEmpty() && element.name &&
            ZTCAM_GenICam_ElementAttr(camera.handle, &own, element.name, ZTCAM_NODEMAP_CAMERA) == ZTCAM_STATUS_SUCCESS) {
            const int index = ElementText::entryIndex(own, entry, element.value.intValue);
            if (index < 0) {
                LUMA_DEBUG("MainWindow::SyncAllCameraElement", "camera%d has no entry %s of %s", i,
                           entry.toUtf8().constData(), element.name);
                refused.append(i);
                continue;
            }
            copy.value.intValue = index;
        }
        if (!ZTCamFunc::instance()->SetGenICamElement(camera.handle, copy))
            refused.append(i);
    }
    return refused;
}

QList<int> MainWindow::SyncAllCameraCapaParam(int id, int value)
{
    QList<int> refused;
    for (int i = 0; i < m_vecOpenedCam.size(); ++i) {
        const ZTCamHandle handle = m_vecOpenedCam.at(i).handle;
        if (handle == m_curCam.handle)
            continue;
        if (id == ZTCAM_CAPA_AUTO_LEVELS)
            // The mode goes with the levels; the levels' own write below is the one that counts.
            (void)ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_AUTO_LEVEL_MODE, value != 0 ? 1 : 0);
        if (ZTCAM_Capa_SetValue(handle, id, value) != ZTCAM_STATUS_SUCCESS) {
            LUMA_DEBUG("MainWindow::SyncAllCameraCapaParam", "Set camera%d capa=%d failed", i, id);
            refused.append(i);
        }
    }
    return refused;
}

QList<int> MainWindow::SyncAllCameraPropParam(int id, double value, int channel)
{
    QList<int> refused;
    for (int i = 0; i < m_vecOpenedCam.size(); ++i) {
        const ZTCamHandle handle = m_vecOpenedCam.at(i).handle;
        if (handle == m_curCam.handle)
            continue;
        if (ZTCAM_Prop_SetValue(handle, id, value, channel) != ZTCAM_STATUS_SUCCESS) {
            LUMA_DEBUG("MainWindow::SyncAllCameraPropParam", "Set camera%d capa=0x%x failed", i, id);
            refused.append(i);
        }
    }
    return refused;
}

void MainWindow::logApplyResult(const QMap<int, QStringList>& refused, const QString& success)
{
    if (refused.isEmpty()) {
        onWritelog(success);
        return;
    }
    for (auto it = refused.constBegin(); it != refused.constEnd(); ++it)
        onWritelog(tr("Camera %1 refused: %2").arg(m_mapCamName.value(it.key()), it.value().join(QStringLiteral(", "))));
}

void MainWindow::on_pushButtonParamApply_clicked()
{
    if (!m_curCam.handle || m_bLive)
        return;
    ZTCamFunc* func = ZTCamFunc::instance();
    const QStringList names = func->elementNames();
    const QStringList dsnu = func->dsnuCommands();
    const QStringList prnu = func->prnuCommands();
    LUMA_DEBUG("MainWindow::on_pushButtonParamApply_clicked", "Apply device param size = %d",
               static_cast<int>(names.size()));
    int budget = kStatusPollBudget;
    QMap<int, QStringList> refused;
    for (const QString& name : names) {
        const QByteArray latin = name.toLatin1();
        ZTCamElement element{};
        if (!func->QueryGenICamElement(m_curCam.handle, latin.constData(), element) || outside(element))
            continue;
        // Read-only features (fan speed, duty factors) are only shown: no
        // camera takes them, so they are not copied.
        if (element.access != ZTCAM_ACCESS_WRITE_ONLY && element.access != ZTCAM_ACCESS_READ_WRITE)
            continue;
        element.name = latin.constData();
        const char* statusName = dsnu.contains(name) ? "DSNUStatus" : prnu.contains(name) ? "PRNUStatus" : nullptr;
        int status = 0;
        if (statusName) {
            ZTCamElement s{};
            if (!func->QueryGenICamElement(m_curCam.handle, statusName, s))
                continue;
            status = static_cast<int>(s.value.intValue);
        }
        for (int position : SyncAllCameraElement(element))
            refused[position].append(name);
        // A calibration command is done once the camera's status grows.
        while (statusName) {
            ZTCamElement s{};
            func->GetGenICamElement(s, m_curCam.handle, statusName);
            if (s.value.intValue > status || budget <= 0)
                break;
            platform::os::sleepMs(kStatusPollMs);
            --budget;
        }
    }
    const int current = ui->cb_cam_idx->currentIndex();
    const QString currentSn = m_mapCamSN.value(current);
    for (int i = m_vecPropGrp.size() - 1; i >= 0; --i) {
        CZTPropGrp* panel = m_vecPropGrp.at(i);
        if (!panel || panel == m_pCurPropGrp)
            continue;
        if (m_mapCamSN.value(i) != currentSn && m_mapHostCam.value(current, false)) {
            refreshPanel(panel, true);
            followPixelFormat(m_vecOpenedCam.value(i));
            platform::os::sleepMs(kPanelRefreshPauseMs);
        }
    }
    logApplyResult(refused, tr("Apply device parameters to other devices successfully"));
}

void MainWindow::on_pushButtonMoreParamApply_clicked()
{
    if (!m_curCam.handle || m_bLive)
        return;
    const ZTCamHandle handle = m_curCam.handle;
    QMap<int, QStringList> refused;
    auto note = [&refused](const QList<int>& positions, const QString& what) {
        for (int position : positions)
            refused[position].append(what);
    };
    auto shown = [this](QWidget* w) { return w->isVisibleTo(this); };
    auto copyCapa = [&](int id) {
        int32_t value = 0;
        if (ZTCAM_Capa_GetValue(handle, id, &value) == ZTCAM_STATUS_SUCCESS)
            note(SyncAllCameraCapaParam(id, value), tr("capability %1").arg(id));
    };
    auto copyProp = [&](int id) {
        double value = 0;
        if (ZTCAM_Prop_GetValue(handle, id, &value, 0) == ZTCAM_STATUS_SUCCESS)
            note(SyncAllCameraPropParam(id, value, 0), tr("property %1").arg(id));
    };
    // Which control must be shown for which setting is the page's old
    // pairing, kept as it is.
    if (shown(ui->chk_vflip))
        copyCapa(ZTCAM_CAPA_FLIP_HORIZONTAL);
    if (shown(ui->hls_gamma))
        copyCapa(ZTCAM_CAPA_FLIP_VERTICAL);
    if (shown(ui->hls_contrast))
        copyProp(ZTCAM_PROP_GAMMA);
    if (shown(ui->hls_gamma))
        copyProp(ZTCAM_PROP_CONTRAST);
    if (shown(ui->hls_llvl) || shown(ui->hls_rlvl)) {
        int32_t automatic = 0;
        if (ZTCAM_Capa_GetValue(handle, ZTCAM_CAPA_AUTO_LEVELS, &automatic) == ZTCAM_STATUS_SUCCESS) {
            note(SyncAllCameraCapaParam(ZTCAM_CAPA_AUTO_LEVELS, automatic), tr("capability %1").arg(ZTCAM_CAPA_AUTO_LEVELS));
            copyProp(ZTCAM_PROP_RIGHT_LEVEL);
            copyProp(ZTCAM_PROP_LEFT_LEVEL);
        }
    }
    storeLevelsForAllCameras();
    logApplyResult(refused, tr("Apply more parameters to other devices successfully"));
}
