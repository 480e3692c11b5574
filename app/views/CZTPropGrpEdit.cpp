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

// Edits of these stop live acquisition before the write and, unless the
// camera is reset, start it again at the end.
bool stopsLive(const QString& name)
{
    return name == QLatin1String("DeviceReset") || name == QLatin1String("ConnectionReset") ||
           name == QLatin1String("Connection Config");
}

// What an edit makes re-read beyond the full refresh: the entries or the
// range of rows on the other panels of the same device (through the
// window), or the range of a row of this panel.
enum class FollowUp { SameDeviceEntries, SameDeviceRange, OwnRange };

struct FollowUpRule {
    const char* edited;
    FollowUp refresh;
    const char* rows[2];  // null: no second row
};

const FollowUpRule kFollowUps[] = {
    {"PixelFormat", FollowUp::SameDeviceEntries, {"SensorBinning", "BlackLevel"}},
    {"SensorBinning", FollowUp::SameDeviceEntries, {"PixelFormat", nullptr}},
    {"BinningHorizontal", FollowUp::SameDeviceRange, {"Width", nullptr}},
    {"LineInfo", FollowUp::SameDeviceRange, {"Width", nullptr}},
    {"ReadoutMode", FollowUp::SameDeviceRange, {"Width", nullptr}},
    {"OperationMode", FollowUp::SameDeviceEntries, {"StrobeSourceSelect", nullptr}},
    {"DeviceFactoryTestMode", FollowUp::SameDeviceRange, {"AcquisitionLineRate", "AcquisitionFrameRate"}},
    {"FrameRateMode", FollowUp::OwnRange, {"ExposureTime", nullptr}},
};

// The rate rows have no bounds: their range follows the exposure and the
// geometry, and the camera alone decides which rate it takes.
bool isRateWithoutBounds(const ZTCamElement& element)
{
    return PanelTree::isName(element, "AcquisitionLineRate") || PanelTree::isName(element, "AcquisitionFrameRate");
}

}  // namespace

using PanelTree::isName;
using PanelTree::NotReadyScope;
using PanelTree::writable;

// ---------------------------------------------------------------- helpers

PanelTree::Reader CZTPropGrp::reader()
{
    // Refreshes show the record as read, whatever the value read returned.
    return {handle(), ZTCAM_NODEMAP_CAMERA, m_pElemMutex, m_pVariantManager, m_bUiReady,
            PanelTree::ReadBackCheck::Ignore};
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
    // Frames carry time stamps or not as the camera takes it; the row shows
    // the element either way.
    (void)ZTCAM_Capa_SetValue(handle(), ZTCAM_CAPA_TIME_STAMP, entry == QLatin1String("ON") ? 1 : 0);
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

// True when the DeviceUserID text may be written. A refused text is told in
// the log and the row shows the camera's name again.
bool CZTPropGrp::applyUserIdRule(QtProperty* property, const QString& text)
{
    const bool cjk = containsCjk(text);
    if (cjk || text.size() > kUserIdBytes) {
        writeLog(cjk ? QStringLiteral("DeviceUserID not written: CJK characters are not allowed")
                     : QStringLiteral("DeviceUserID not written: at most 15 characters"));
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

// The edit path tests no result of the element calls: a refused write shows
// in the camera's message, logged after it, and in the value read back.
ZTCamStatus CZTPropGrp::writeAndLog(ZTCamElement& element)
{
    const ZTCamStatus status = ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
    logCameraMessage();
    return status;
}

// The camera's message after the write already tells how it went: a second
// row with the same message would make one edit look like two.
void CZTPropGrp::readBack(ZTCamElement& element)
{
    const char* name = element.name;
    (void)ZTCAM_GenICam_GetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);  // shown as read
    element.name = name;
}

// The row takes any number (PanelTree::setNumberStep): one outside the
// feature's range, or a fraction for an integer, is refused with a row that
// names it, nothing is written, and the row shows the camera's value again.
bool CZTPropGrp::acceptNumber(QtProperty* property, ZTCamElement& element, double typed)
{
    const QString refusal = PanelTree::numberRefusal(element, typed);
    if (refusal.isNull())
        return true;
    writeLog(refusal);
    readBack(element);
    const NotReadyScope scope(m_bUiReady);
    PanelTree::setValue(m_pVariantManager, property, element, QString());
    return false;
}

bool CZTPropGrp::writeInteger(QtProperty* property, ZTCamElement& element, const QVariant& value)
{
    const int repr = element.representation;
    const bool address = repr == ZTCAM_REPR_IPV4 || repr == ZTCAM_REPR_MAC;
    if (address) {
        uint64_t parsed = 0;
        const QString text = value.toString();
        const bool ok =
            repr == ZTCAM_REPR_IPV4 ? ElementText::parseIpv4(text, &parsed) : ElementText::parseMac(text, &parsed);
        if (!ok) {
            // A malformed address is never written; the row shows the
            // camera's value again (as read).
            (void)ZTCAM_GenICam_GetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
            const NotReadyScope scope(m_bUiReady);
            setRowValue(property, element, QString());
            return false;
        }
        element.value.intValue = static_cast<int64_t>(parsed);
    } else if (value.userType() == QMetaType::Double && !acceptNumber(property, element, value.toDouble())) {
        return false;
    } else {
        element.value.intValue = static_cast<int64_t>(value.toULongLong());
    }
    writeAndLog(element);
    readBack(element);
    if (address)
        PanelTree::showKept(m_pVariantManager, m_bUiReady, property, value.toString());
    else
        PanelTree::showKept(m_pVariantManager, m_bUiReady, property, static_cast<double>(element.value.intValue));
    return true;
}

void CZTPropGrp::runCommand(ZTCamElement& element)
{
    writeAndLog(element);
    if (m_pMainWindow && isName(element, "AcquisitionStart")) {
        m_pMainWindow->setCounterReset();
        emit m_pMainWindow->SignalAcquisitionStart(true);
    } else if (m_pMainWindow && isName(element, "AcquisitionStop")) {
        emit m_pMainWindow->SignalAcquisitionStart(false);
    }
}

bool CZTPropGrp::writeString(QtProperty* property, ZTCamElement& element, const QVariant& value)
{
    const QString text = value.toString();
    const bool userId = isName(element, "DeviceUserID");
    if (userId && !applyUserIdRule(property, text))
        return false;
    QByteArray bytes = text.toLocal8Bit();
    element.text = bytes.data();
    const ZTCamStatus status = writeAndLog(element);
    element.text = nullptr;
    if (status != ZTCAM_STATUS_SUCCESS && userId)
        refreshElementValue(QStringLiteral("DeviceUserID"));  // a refused name: the row shows the camera's
    return true;
}

void CZTPropGrp::writeEnumeration(ZTCamElement& element, const QVariant& value)
{
    element.value.intValue = value.toInt();
    writeAndLog(element);
    const QString entry = ZTCamFunc::CurrentEntryName(element);
    if (isName(element, "FanOperationMode") && entry == QLatin1String("Off") &&
        ZTCamFunc::instance()->IsProductE427(handle())) {
        UserPrompt::instance().about(this, QStringLiteral("LumaDeck"),
                                     tr("Warning!The fan is off.To ensure the cooling performance of the camera, "
                                        "ensure that the camera is connected to the water cooler"));
    }
    if (isName(element, "TriggerMode") && entry == QLatin1String("Off") && m_pMainWindow)
        m_pMainWindow->setCounterReset();
}

// False when the edit ends here (a value refused before any write).
bool CZTPropGrp::writeEdit(QtProperty* property, ZTCamElement& element, const QVariant& value)
{
    switch (element.type) {
    case ZTCAM_ELEM_INTEGER:
        return writeInteger(property, element, value);
    case ZTCAM_ELEM_BOOLEAN:
        element.value.intValue = value.toInt();
        writeAndLog(element);
        return true;
    case ZTCAM_ELEM_COMMAND:
        runCommand(element);  // with the command value the SDK filled in
        return true;
    case ZTCAM_ELEM_FLOAT:
        if (!isRateWithoutBounds(element) && !acceptNumber(property, element, value.toDouble()))
            return false;
        element.value.floatValue = value.toDouble();
        writeAndLog(element);
        readBack(element);
        PanelTree::showKept(m_pVariantManager, m_bUiReady, property, element.value.floatValue);
        return true;
    case ZTCAM_ELEM_STRING:
        return writeString(property, element, value);
    case ZTCAM_ELEM_ENUMERATION:
        writeEnumeration(element, value);
        return true;
    default:
        return true;
    }
}

// The debug lines here carry the name of the slot they belong to.
void CZTPropGrp::applyFollowUps(const QString& name)
{
    // A loaded user set may bring another pixel format with it.
    if ((name == QLatin1String("PixelFormat") || name == QLatin1String("UserSetLoad")) && m_pMainWindow) {
        m_pMainWindow->followPixelFormat(m_openedCam);
    } else if (name == QLatin1String("AcquisitionStart")) {
        LUMA_DEBUG("CZTPropGrp::valueChanged", ">>>>>>AcquisitionStart<<<<<");
    } else if (name == QLatin1String("OperationMode")) {
        LUMA_DEBUG("CZTPropGrp::valueChanged", ">>>>>>OperationMode modify<<<<<");
    }
    for (const FollowUpRule& rule : kFollowUps) {
        if (name != QLatin1String(rule.edited))
            continue;
        for (const char* row : rule.rows) {
            if (!row)
                continue;
            const QString rowName = QString::fromLatin1(row);
            if (rule.refresh == FollowUp::SameDeviceEntries)
                emit sglUpdatePropertyElemEnum(this, rowName);
            else if (rule.refresh == FollowUp::SameDeviceRange)
                emit sglUpdatePropertyElemRange(this, rowName);
            else
                updateElemRange(rowName);
        }
    }
}

void CZTPropGrp::valueChanged(QtProperty* property, const QVariant& value)
{
    const auto it = m_propNames.constFind(property);
    if (it == m_propNames.constEnd() || !m_bUiReady || !handle() || m_pollMap.contains(it.value()))
        return;
    const QString name = it.value();
    const QByteArray nameBytes = name.toLocal8Bit();

    ZTCamElement element{};
    // Not tested: a refused read shows in what the write and read-back do.
    (void)ZTCAM_GenICam_ElementAttr(handle(), &element, nameBytes.constData(), ZTCAM_NODEMAP_CAMERA);
    element.name = nameBytes.constData();
    const bool wasLive = m_pMainWindow && m_pMainWindow->m_bLive;
    const bool stopped = wasLive && stopsLive(name);
    if (stopped)
        m_pMainWindow->onCapturing();

    if (!writeEdit(property, element, value))
        return;
    if (name == QLatin1String("DeviceReset")) {
        requestReconnect(stopped);
        return;
    }
    syncTimeStampCapability(element);
    updateTriggerState(element);
    applyFollowUps(name);
    if (name != QLatin1String("DeviceUserID")) {
        emit sglRefreshUI(QStringLiteral("root"));
        refreshAllValues();
    }
    if (wasLive && stopped && m_pMainWindow)
        m_pMainWindow->onCapturing();
    LUMA_DEBUG("CZTPropGrp::valueChanged", "Id name = %s", nameBytes.constData());
}

void CZTPropGrp::refuseTypedText(QtProperty* property, const QString& text)
{
    const QString name = m_propNames.value(property);
    if (!name.isEmpty())
        writeLog(PanelTree::textRefusal(name, text));
}

// ---------------------------------------------------------------- refreshes

void CZTPropGrp::forEachStaticRow(const PanelTree::RowRefresh& apply)
{
    // DeviceUserID keeps what the user typed until it is written.
    PanelTree::forEachRow(reader(), m_staticMap, apply, QStringLiteral("DeviceUserID"));
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
        if (element.type == ZTCAM_ELEM_INTEGER && ElementText::representedText(element).isNull() && otherCamera &&
            key == QLatin1String("Height"))
            PanelTree::setNumberStep(m_pVariantManager, row, element);
        setRowValue(row, element, text);
        finishRow(row, element);
        if (isName(element, "DeviceVersion") && text.contains(QLatin1String("FF01")))
            m_bScanTypeLocked = true;
        updateTriggerState(element);
    });
}

void CZTPropGrp::refreshElementValue(QString name)
{
    PanelTree::refreshRow(reader(), m_staticMap, name, PanelTree::StringText::Read,
                          [this](const QString&, QtProperty* row, ZTCamElement& element, const QString& text) {
                              row->setEnabled(writable(element));
                              setRowValue(row, element, text);
                              finishRow(row, element);
                          });
}

void CZTPropGrp::refreshAllValues()
{
    forEachStaticRow([&](const QString& key, QtProperty* row, ZTCamElement& element, const QString& text) {
        if (element.type == ZTCAM_ELEM_INTEGER && ElementText::representedText(element).isNull())
            PanelTree::setNumberStep(m_pVariantManager, row, element);
        if (element.type == ZTCAM_ELEM_FLOAT && element.value.floatValue > element.maximum.floatValue) {
            element.value.floatValue = element.maximum.floatValue;
            // Shown at the maximum either way; the next refresh reads what
            // the camera kept.
            (void)ZTCAM_GenICam_SetElementValue(handle(), &element, ZTCAM_NODEMAP_CAMERA);
        }
        if (element.type == ZTCAM_ELEM_ENUMERATION)
            m_pVariantManager->setAttribute(row, QStringLiteral("enumNames"), ElementText::entryNames(element));
        setRowValue(row, element, text);
        if (key == QLatin1String("PixelFormat") && m_pMainWindow)
            m_pMainWindow->updateLevels(MainWindow::kBothLevels, false);
        finishRow(row, element);
    });
}

void CZTPropGrp::updateElemRange(QString name)
{
    PanelTree::refreshRow(reader(), m_staticMap, name, PanelTree::StringText::Skip,
                          [this](const QString&, QtProperty* row, ZTCamElement& element, const QString&) {
                              if (element.type == ZTCAM_ELEM_INTEGER) {
                                  if (ElementText::representedText(element).isNull())
                                      PanelTree::setNumberStep(m_pVariantManager, row, element);
                                  setRowValue(row, element, QString());
                              } else if (element.type == ZTCAM_ELEM_FLOAT) {
                                  PanelTree::setNumberStep(m_pVariantManager, row, element);
                                  setRowValue(row, element, QString());
                              }
                          });
}

void CZTPropGrp::refreshEnumEntries(QString name)
{
    const bool read = PanelTree::refreshRow(
        reader(), m_propMap, name, PanelTree::StringText::Skip,
        [this](const QString&, QtProperty* row, ZTCamElement& element, const QString&) {
            for (QtProperty* sub : row->subProperties())
                row->removeSubProperty(sub);
            if (element.type == ZTCAM_ELEM_ENUMERATION) {
                m_pVariantManager->setAttribute(row, QStringLiteral("enumNames"), ElementText::entryNames(element));
                setRowValue(row, element, QString());
                registerProperty(row, element);
            }
        });
    if (read)
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
