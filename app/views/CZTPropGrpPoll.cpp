// The device property panel's one-second poll: connection state, the rows
// that change by themselves, and the temperature watch.
#include "CZTPropGrp.h"

#include <QTimerEvent>

#include <qtvariantproperty.h>

#include "ElementText.h"
#include "MainWindow.h"
#include "ZTCamFunc.h"
#include "ZtMsgBox.h"

namespace {

constexpr int kWarnAgainAfter = 15;    // over-limit checks after a dismissal
constexpr double kSensorLogStep = 5.0;  // degrees between logged readings
constexpr double kEpsilon = 1e-6;

}  // namespace

void CZTPropGrp::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_nPollTimerId || m_nPollTimerId == 0) {
        QWidget::timerEvent(event);
        return;
    }
    if (!handle() || !m_pVariantManager)
        return;

    ZTCamDeviceInfo info{};
    info.id = ZTCAM_INFO_CONNECTION_STATE;
    if (ZTCAM_Dev_GetInfo(handle(), &info) == ZTCAM_STATUS_SUCCESS && info.value == 1) {
        writeLog(QStringLiteral("The camera has been disconnection"));
        stopPollTimer();
    }

    // A failed read shows nothing and warns of nothing.
    PanelTree::pollRows(reader(), m_pollMap, PanelTree::PolledStringValue::Skip,
                        [this](const QString& name, QtProperty* row, ZTCamElement& element, const QString&) {
                            switch (element.type) {
                            case ZTCAM_ELEM_INTEGER:
                            case ZTCAM_ELEM_ENUMERATION:
                                setRowValue(row, element, QString());
                                break;
                            case ZTCAM_ELEM_FLOAT:
                                setRowValue(row, element, QString());
                                checkTemperature(name, element.value.floatValue);
                                break;
                            default:
                                break;
                            }
                            refreshAttributes(element, row);
                        });
}

void CZTPropGrp::checkTemperature(const QString& name, double celsius)
{
    if (!ZTCamFunc::IsValidTemperature(celsius))
        return;
    ZTCamFunc* func = ZTCamFunc::instance();
    if (name == QLatin1String("SensorTemperature")) {
        const double move = celsius - m_dLastSensorTemp;
        if (move > kSensorLogStep || move < -kSensorLogStep) {
            m_dLastSensorTemp = celsius;
            logCameraMessage();
        }
        if (celsius - ZTCamFunc::SensorTempLimit > kEpsilon)
            warn(QStringLiteral("Sensor High Temperature Warning!"), true);
    } else if (name == QLatin1String("DeviceTemperature")) {
        const QString text = QStringLiteral("FPGA High Temperature Warning!");
        if (func->EnsureProductId(handle()) && celsius - ZTCamFunc::FpgaTempLimit > kEpsilon)
            warn(text, true);
        if (func->IsProductGroupA(handle()) && celsius - ZTCamFunc::FpgaTempLimitGroupA > kEpsilon)
            warn(text, false);
        if (func->IsProductE41A(handle()) && celsius - ZTCamFunc::FpgaTempLimitE41A > kEpsilon)
            warn(text, false);
    }
}

void CZTPropGrp::warn(const QString& text, bool refreshCooling)
{
    if (!m_pWarnBox)
        return;
    m_pWarnBox->bumpRepeatCount();
    if (!m_pWarnBox->isHidden() || !m_pWarnBox->repeatCountReached(kWarnAgainAfter))
        return;
    if (refreshCooling) {
        refreshElementValue(QStringLiteral("FanOperationMode"));
        refreshElementValue(QStringLiteral("TECOperationMode"));
    }
    m_pWarnBox->setMessage(text);
    m_pWarnBox->show();
}
