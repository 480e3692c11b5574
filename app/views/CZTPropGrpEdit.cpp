// Edits of the device property panel, the rules that act on particular
// features by name, and the refreshes that re-read rows from the camera.
#include "CZTPropGrp.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QSignalBlocker>
#include <QTimer>

#include <qttreepropertybrowser.h>
#include <qtvariantproperty.h>

#include <algorithm>

#include "DebugLine.h"
#include "ElementText.h"
#include "MainWindow.h"
#include "PanelTree.h"
#include "UserPrompt.h"
#include "ZTCamFunc.h"
#include "ZTStringPropertyManager.h"

namespace {

constexpr int kUserIdBytes = 15;

bool containsCjk(const QString& text)
{
    for (QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF))
            return true;
    }
    return false;
}

// The longest prefix of whole characters whose UTF-8 form fits in `bytes`.
QString truncateUtf8(const QString& text, int bytes)
{
    QString result;
    int used = 0;
    for (int i = 0; i < text.size();) {
        const int len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        const int size = ch.toUtf8().size();
        if (used + size > bytes)
            break;
        result += ch;
        used += size;
        i += len;
    }
    return result;
}

}  // namespace

using PanelTree::isName;
using PanelTree::NotReadyScope;
using PanelTree::writable;

// ---------------------------------------------------------------- helpers

bool CZTPropGrp::readLocked(const QString& name, ZTCamElement& element, QString* text)
{
    const QByteArray bytes = name.toLocal8Bit();
    QMutexLocker lock(m_pElemMutex);
    element = ZTCamElement{};
    if (ZTCAM_GenICam_ElementAttr(handle(), &element, bytes.constData(), ZTCAM_NODEMAP_CAMERA) != ZTCAM_STATUS_SUCCESS)
        return false;
    if (element.type == ZTCAM_ELEM_STRING) {
        if (text)
            *text = ElementText::readString(handle(), element);
    } else {
        ZTCAM_GenICam_GetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
    }
    return true;
}

void CZTPropGrp::applyLockRule(QtProperty* property, const ZTCamElement& element)
{
    property->setEnabled(writable(element) && element.lock == 0);
}

void CZTPropGrp::writeLog(const QString& text)
{
    if (m_pMainWindow)
        m_pMainWindow->onWritelog(text);
}

void CZTPropGrp::logCameraMessage()
{
    ZTCamDeviceInfo info{};
    info.id = ZTCAM_INFO_STATUS_TEXT;
    if (ZTCAM_Dev_GetInfo(handle(), &info) == ZTCAM_STATUS_SUCCESS)
        writeLog(info.text ? QString::fromLocal8Bit(info.text) : QString());
}

void CZTPropGrp::setRowValue(QtProperty* property, const ZTCamElement& element, const QString& text)
{
    const QString represented =
        element.type == ZTCAM_ELEM_INTEGER ? ElementText::representedText(element) : QString();
    if (!represented.isNull())
        m_pVariantManager->setValue(property, represented);
    else
        PanelTree::setValue(m_pVariantManager, property, element, text);
}

// ---------------------------------------------------------------- name rules

void CZTPropGrp::updateTriggerState(const ZTCamElement& element)
{
    if (!handle() || !(isName(element, "TriggerMode") || isName(element, "TriggerSource")))
        return;
    ZTCamElement mode{};
    ZTCamFunc::instance()->GetGenICamElement(mode, handle(), "TriggerMode");
    const QString entry = ZTCamFunc::CurrentEntryName(mode);
    if (entry.isEmpty())
        return;
    m_bTriggerMode = entry == QLatin1String("On");
    m_bTriggerModeMirror = m_bTriggerMode;
    if (m_pMainWindow) {
        m_pMainWindow->setTriggerModeFlag(m_bTriggerModeMirror);
        m_pMainWindow->setPanelTriggerMode(this, m_bTriggerMode);
    }
}

void CZTPropGrp::syncTimeStampCapability(const ZTCamElement& element)
{
    if (!handle() || !(isName(element, "ImageStamping") || isName(element, "TimeStamp")))
        return;
    const QString entry = ZTCamFunc::CurrentEntryName(element);
    if (entry.isEmpty())
        return;
    ZTCAM_Capa_SetValue(handle(), ZTCAM_CAPA_TIME_STAMP, entry == QLatin1String("ON") ? 1 : 0);
}

void CZTPropGrp::requestReconnect(bool wasLive)
{
    // The reconnection deletes this panel's browser, factories and the very
    // button whose press got us here: it runs from the window's event loop
    // after the camera's restart time, never inside the press.
    QPointer<MainWindow> window = m_pMainWindow;
    if (!window || !window->beginDeviceReset())
        return;
    QTimer::singleShot(MainWindow::deviceResetWaitMs(), window, [window, wasLive] {
        if (window)
            window->finishDeviceReset(wasLive);
    });
}

// True when the DeviceUserID text may be written.
bool CZTPropGrp::applyUserIdRule(QtProperty* property, const QString& text)
{
    if (containsCjk(text) || text.size() > kUserIdBytes) {
        refreshElementValue(QStringLiteral("DeviceUserID"));
        return false;
    }
    if (m_propMap.contains(QStringLiteral("DeviceUserID")) && text.toUtf8().size() > kUserIdBytes) {
        const QSignalBlocker block(m_pVariantManager);
        m_pVariantManager->setValue(property, truncateUtf8(text, kUserIdBytes));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- edit

void CZTPropGrp::valueChanged(QtProperty* property, const QVariant& value)
{
    const auto it = m_propNames.constFind(property);
    if (it == m_propNames.constEnd() || !m_bUiReady || !handle() || m_pollMap.contains(it.value()))
        return;
    const QString name = it.value();
    const QByteArray nameBytes = name.toLocal8Bit();

    ZTCamElement element{};
    ZTCAM_GenICam_ElementAttr(handle(), &element, nameBytes.constData(), ZTCAM_NODEMAP_CAMERA);
    element.name = nameBytes.constData();
    const bool wasLive = m_pMainWindow && m_pMainWindow->m_bLive;
    bool stopped = false;
    if ((name == QLatin1String("DeviceReset") || name == QLatin1String("ConnectionReset") ||
         name == QLatin1String("Connection Config")) &&
        wasLive) {
        m_pMainWindow->onCapturing();
        stopped = true;
    }

    auto readBack = [&] {
        ZTCAM_GenICam_GetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        element.name = nameBytes.constData();
        logCameraMessage();
    };

    switch (element.type) {
    case ZTCAM_ELEM_INTEGER: {
        const int repr = element.representation;
        if (repr == ZTCAM_REPR_IPV4 || repr == ZTCAM_REPR_MAC) {
            uint64_t parsed = 0;
            const QString text = value.toString();
            const bool ok = repr == ZTCAM_REPR_IPV4 ? ElementText::parseIpv4(text, &parsed)
                                                     : ElementText::parseMac(text, &parsed);
            if (!ok) {
                // A malformed address is never written; the row shows the
                // camera's value again.
                ZTCAM_GenICam_GetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
                const NotReadyScope scope(m_bUiReady);
                setRowValue(property, element, QString());
                return;
            }
            element.value.intValue = static_cast<int64_t>(parsed);
        } else {
            element.value.intValue = static_cast<int64_t>(value.toULongLong());
        }
        ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        logCameraMessage();
        readBack();
        if (repr == ZTCAM_REPR_IPV4 || repr == ZTCAM_REPR_MAC)
            m_pVariantManager->setValue(property, value.toString());
        else
            m_pVariantManager->setValue(property, static_cast<double>(element.value.intValue));
        break;
    }
    case ZTCAM_ELEM_BOOLEAN:
        element.value.intValue = value.toInt();
        ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        logCameraMessage();
        break;
    case ZTCAM_ELEM_COMMAND:
        ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        logCameraMessage();
        if (m_pMainWindow && name == QLatin1String("AcquisitionStart")) {
            m_pMainWindow->setCounterReset();
            emit m_pMainWindow->SignalAcquisitionStart(true);
        } else if (m_pMainWindow && name == QLatin1String("AcquisitionStop")) {
            emit m_pMainWindow->SignalAcquisitionStart(false);
        }
        break;
    case ZTCAM_ELEM_FLOAT:
        element.value.floatValue = value.toDouble();
        ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        logCameraMessage();
        readBack();
        m_pVariantManager->setValue(property, element.value.floatValue);
        break;
    case ZTCAM_ELEM_STRING: {
        const QString text = value.toString();
        if (name == QLatin1String("DeviceUserID") && !applyUserIdRule(property, text))
            return;
        QByteArray bytes = text.toLocal8Bit();
        element.text = bytes.data();
        const ZTCamStatus status = ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        element.text = nullptr;
        logCameraMessage();
        if (status != ZTCAM_STATUS_SUCCESS && name == QLatin1String("DeviceUserID"))
            refreshElementValue(name);  // a refused name: the row shows the camera's
        break;
    }
    case ZTCAM_ELEM_ENUMERATION: {
        element.value.intValue = value.toInt();
        ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        logCameraMessage();
        const QString entry = ZTCamFunc::CurrentEntryName(element);
        if (name == QLatin1String("FanOperationMode") && entry == QLatin1String("Off") &&
            ZTCamFunc::instance()->IsProductE427(handle())) {
            UserPrompt::instance().about(this, QStringLiteral("LumaDeck"),
                                         tr("Warning!The fan is off.To ensure the cooling performance of the camera, "
                                            "ensure that the camera is connected to the water cooler"));
        }
        if (name == QLatin1String("TriggerMode") && entry == QLatin1String("Off") && m_pMainWindow)
            m_pMainWindow->setCounterReset();
        break;
    }
    default:
        break;
    }

    if (name == QLatin1String("DeviceReset")) {
        requestReconnect(stopped);
        return;
    }

    syncTimeStampCapability(element);
    updateTriggerState(element);
    if (name == QLatin1String("PixelFormat")) {
        if (m_pMainWindow) {
            m_pMainWindow->updateLevels(3, false);
            emit m_pMainWindow->SignalUpdatePixelFormat(ZTCamFunc::CurrentEntryName(element));
        }
        emit sglUpdatePropertyElemEnum(this, QStringLiteral("SensorBinning"));
        emit sglUpdatePropertyElemEnum(this, QStringLiteral("BlackLevel"));
    } else if (name == QLatin1String("SensorBinning")) {
        emit sglUpdatePropertyElemEnum(this, QStringLiteral("PixelFormat"));
    } else if (name == QLatin1String("BinningHorizontal") || name == QLatin1String("LineInfo") ||
               name == QLatin1String("ReadoutMode")) {
        emit sglUpdatePropertyElemRange(this, QStringLiteral("Width"));
    } else if (name == QLatin1String("AcquisitionStart")) {
        LUMA_DEBUG("CZTPropGrp::valueChanged", ">>>>>>AcquisitionStart<<<<<");
    } else if (name == QLatin1String("OperationMode")) {
        LUMA_DEBUG("CZTPropGrp::valueChanged", ">>>>>>OperationMode modify<<<<<");
        emit sglUpdatePropertyElemEnum(this, QStringLiteral("StrobeSourceSelect"));
    } else if (name == QLatin1String("DeviceFactoryTestMode")) {
        emit sglUpdatePropertyElemRange(this, QStringLiteral("AcquisitionLineRate"));
        emit sglUpdatePropertyElemRange(this, QStringLiteral("AcquisitionFrameRate"));
    } else if (name == QLatin1String("FrameRateMode")) {
        updateElemRange(QStringLiteral("ExposureTime"));
    }

    if (name != QLatin1String("DeviceUserID")) {
        emit sglRefreshUI(QStringLiteral("root"));
        refreshAllValues();
    }
    if (wasLive && stopped && m_pMainWindow)
        m_pMainWindow->onCapturing();
    LUMA_DEBUG("CZTPropGrp::valueChanged", "Id name = %s", nameBytes.constData());
}

// ---------------------------------------------------------------- refreshes

void CZTPropGrp::forEachStaticRow(const PanelTree::RowRefresh& apply)
{
    if (!handle() || !m_pVariantManager)
        return;
    const NotReadyScope scope(m_bUiReady);
    for (auto it = m_staticMap.constBegin(); it != m_staticMap.constEnd(); ++it) {
        ZTCamElement element{};
        QString text;
        // DeviceUserID keeps what the user typed until it is written.
        const bool isUserId = it.key() == QLatin1String("DeviceUserID");
        if (!readLocked(it.key(), element, isUserId ? nullptr : &text))
            continue;
        if (element.type == ZTCAM_ELEM_STRING && isUserId)
            element.type = -1;  // no value to show
        apply(it.key(), it.value(), element, text);
    }
    lockScanType();
}

void CZTPropGrp::finishRow(QtProperty* row, const ZTCamElement& element)
{
    refreshAttributes(element, row);
    applyLockRule(row, element);
    applyDisplayShift(element);
}

void CZTPropGrp::refreshElements(QString name)
{
    const bool otherCamera = m_openedCam.index != 0;
    forEachStaticRow([&](const QString& key, QtProperty* row, ZTCamElement& element, const QString& text) {
        row->setEnabled(writable(element));
        if (key == name)
            return;
        if (element.type == ZTCAM_ELEM_INTEGER && ElementText::representedText(element).isNull()) {
            if (otherCamera && key == QLatin1String("Height")) {
                m_pVariantManager->setAttribute(row, QStringLiteral("singleStep"),
                                                static_cast<double>(element.increment.intValue));
                m_pVariantManager->setAttribute(row, QStringLiteral("decimals"), 0);
            }
            setIntegerRange(row, element, false);
        }
        setRowValue(row, element, text);
        finishRow(row, element);
        if (isName(element, "DeviceVersion") && text.contains(QLatin1String("FF01")))
            m_bScanTypeLocked = true;
        updateTriggerState(element);
    });
}

void CZTPropGrp::refreshElementValue(QString name)
{
    QtProperty* row = m_staticMap.value(name, nullptr);
    if (!row || !handle() || !m_pVariantManager)
        return;
    const NotReadyScope scope(m_bUiReady);
    ZTCamElement element{};
    QString text;
    if (!readLocked(name, element, &text))
        return;
    row->setEnabled(writable(element));
    setRowValue(row, element, text);
    finishRow(row, element);
}

void CZTPropGrp::refreshAllValues()
{
    forEachStaticRow([&](const QString& key, QtProperty* row, ZTCamElement& element, const QString& text) {
        if (element.type == ZTCAM_ELEM_INTEGER && ElementText::representedText(element).isNull())
            setIntegerRange(row, element, true);
        if (element.type == ZTCAM_ELEM_FLOAT && element.value.floatValue > element.maximum.floatValue) {
            element.value.floatValue = element.maximum.floatValue;
            ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        }
        if (element.type == ZTCAM_ELEM_ENUMERATION)
            m_pVariantManager->setAttribute(row, QStringLiteral("enumNames"), ElementText::entryNames(element));
        setRowValue(row, element, text);
        if (key == QLatin1String("PixelFormat") && m_pMainWindow)
            m_pMainWindow->updateLevels(3, false);
        finishRow(row, element);
    });
}

void CZTPropGrp::updateElemRange(QString name)
{
    QtProperty* row = m_staticMap.value(name, nullptr);
    if (!row || !handle() || !m_pVariantManager)
        return;
    const NotReadyScope scope(m_bUiReady);
    ZTCamElement element{};
    if (!readLocked(name, element, nullptr))
        return;
    if (element.type == ZTCAM_ELEM_INTEGER) {
        if (ElementText::representedText(element).isNull())
            setIntegerRange(row, element, true);
        setRowValue(row, element, QString());
    } else if (element.type == ZTCAM_ELEM_FLOAT) {
        setFloatRange(row, element);
        setRowValue(row, element, QString());
    }
}

void CZTPropGrp::refreshEnumEntries(QString name)
{
    QtProperty* row = m_propMap.value(name, nullptr);
    if (!row || !handle() || !m_pVariantManager)
        return;
    {
        const NotReadyScope scope(m_bUiReady);
        ZTCamElement element{};
        if (!readLocked(name, element, nullptr))
            return;
        for (QtProperty* sub : row->subProperties())
            row->removeSubProperty(sub);
        if (element.type == ZTCAM_ELEM_ENUMERATION) {
            m_pVariantManager->setAttribute(row, QStringLiteral("enumNames"), ElementText::entryNames(element));
            setRowValue(row, element, QString());
            registerProperty(row, element);
        }
    }
    refreshElementValue(name);
}

void CZTPropGrp::resetTECOperationMode()
{
    if (!handle() || !ZTCamFunc::instance()->IsProductE427(handle()))
        return;
    bool reset = false;
    {
        // Released on every path: a TEC that is already off must not leave
        // the element mutex taken.
        QMutexLocker lock(m_pElemMutex);
        ZTCamElement element{};
        if (ZTCAM_GenICam_ElementAttr(handle(), &element, "TECOperationMode", ZTCAM_NODEMAP_CAMERA) ==
                ZTCAM_STATUS_SUCCESS &&
            ZTCAM_GenICam_GetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA) == ZTCAM_STATUS_SUCCESS &&
            element.value.intValue != 0) {
            element.value.intValue = 0;
            reset = ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA) == ZTCAM_STATUS_SUCCESS;
        }
    }
    if (reset)
        refreshElements(QStringLiteral("TECOperationMode"));
}
