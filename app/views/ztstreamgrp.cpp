// The data-stream property panel: tree walk, edits, refreshes and poll.
#include "ztstreamgrp.h"

#include "ui_ztstreamgrp.h"

#include <QMutex>
#include <QResizeEvent>
#include <QTimerEvent>

#include <qttreepropertybrowser.h>
#include <qtvariantproperty.h>

#include "DebugLine.h"
#include "ElementText.h"
#include "MainWindow.h"
#include "PanelTree.h"
#include "ZTCamFunc.h"
#include "ZTStringFactory.h"
#include "ZTStringPropertyManager.h"

namespace {

constexpr int32_t kStreamMap = ZTCAM_NODEMAP_STREAM;
constexpr int kPollMs = 1000;

}  // namespace

using PanelTree::isName;
using PanelTree::writable;

ztstreamgrp::ztstreamgrp(OpenedCamera camera, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::ztstreamgrp)
    , m_openedCam(camera)
{
    ui->setupUi(this);
    setWindowFlags(Qt::SubWindow);
    setAttribute(Qt::WA_DeleteOnClose);
    if (parent)
        setMinimumSize(parent->width(), parent->height());
    m_pElemMutex = new QMutex;
    buildTree();
}

ztstreamgrp::~ztstreamgrp()
{
    clearTree();
    delete m_pElemMutex;
    m_pElemMutex = nullptr;
    delete ui;
}

void ztstreamgrp::setMainWindow(MainWindow* window) { m_pMainWindow = window; }

PanelTree::Parts ztstreamgrp::treeParts()
{
    return {m_propNames, m_propMap, m_pollMap, m_staticMap, m_pBrowser,
            m_pVariantFactory, m_pVariantManager, m_pStringFactory, m_pStringManager};
}

void ztstreamgrp::clearTree()
{
    stopPollTimer();
    PanelTree::destroy(treeParts());
}

void ztstreamgrp::buildTree()
{
    clearTree();
    if (!handle())
        return;
    PanelTree::create(treeParts(), this);
    // The top-level rows join the browser after the walk.
    const QVector<QtProperty*> topLevel =
        PanelTree::walk(treeParts(), handle(), kStreamMap, [this](ZTCamElement& element) {
            QtProperty* row = createRow(element);
            if (!row)
                return row;
            registerProperty(row, element);
            return row;
        });

    if (!m_bPollTimerOn) {
        m_nPollTimerId = startTimer(kPollMs, Qt::CoarseTimer);
        m_bPollTimerOn = m_nPollTimerId != 0;
    }
    PanelTree::finish(treeParts(), this, topLevel);
}

QtProperty* ztstreamgrp::createRow(ZTCamElement& element)
{
    const QString name = QString::fromLocal8Bit(element.name);
    QtVariantPropertyManager* vm = m_pVariantManager;
    QtProperty* row = nullptr;
    switch (element.type) {
    case ZTCAM_ELEM_INTEGER:
        row = vm->addProperty(QVariant::Double, name);
        break;
    case ZTCAM_ELEM_BOOLEAN:
        row = vm->addProperty(QVariant::Bool, name);
        break;
    case ZTCAM_ELEM_COMMAND:
        row = m_pStringManager->addProperty(name);
        m_pStringManager->setValue(row, QStringLiteral("{Command}"));
        m_pBrowser->setFactoryForManager(m_pStringManager, m_pStringFactory);
        return row;
    case ZTCAM_ELEM_FLOAT:
        row = vm->addProperty(QVariant::Double, name);
        break;
    case ZTCAM_ELEM_STRING:
        row = vm->addProperty(QVariant::String, name);
        vm->setValue(row, ElementText::readString(handle(), element, nullptr, kStreamMap));
        return row;
    case ZTCAM_ELEM_ENUMERATION:
        row = vm->addProperty(QtVariantPropertyManager::enumTypeId(), name);
        break;
    default:
        return nullptr;
    }
    setRanges(row, element);
    PanelTree::setValue(m_pVariantManager, row, element, QString());
    return row;
}

void ztstreamgrp::registerProperty(QtProperty* property, const ZTCamElement& element)
{
    property->setToolTip(element.tooltip ? QString::fromLocal8Bit(element.tooltip) : QString());
    property->setEnabled(writable(element));
    const QString name = QString::fromLocal8Bit(element.name);
    // LineFillCount changes while capturing without the SDK marking it.
    const bool polled = element.polled || name == QLatin1String("LineFillCount");
    if (polled && element.type != ZTCAM_ELEM_COMMAND)
        m_pollMap[name] = property;
    else if (element.type != ZTCAM_ELEM_CATEGORY)
        m_staticMap[name] = property;
}

// Step and decimals of integer and float rows (no bounds: the edit refuses
// a number outside the range) and the entries of enumerations.
void ztstreamgrp::setRanges(QtProperty* property, const ZTCamElement& element)
{
    switch (element.type) {
    case ZTCAM_ELEM_INTEGER:
    case ZTCAM_ELEM_FLOAT:
        PanelTree::setNumberStep(m_pVariantManager, property, element);
        break;
    case ZTCAM_ELEM_ENUMERATION:
        m_pVariantManager->setAttribute(property, QStringLiteral("enumNames"), ElementText::entryNames(element));
        break;
    default:
        break;
    }
}

PanelTree::Reader ztstreamgrp::reader()
{
    // A row whose value read fails keeps what it shows.
    return {handle(), kStreamMap, m_pElemMutex, m_pVariantManager, m_bUiReady, PanelTree::ReadBackCheck::Require};
}

void ztstreamgrp::applyNameRules(const ZTCamElement& element, const QString& text)
{
    if (isName(element, "PixelFormat") && m_pMainWindow)
        m_pMainWindow->setDisplayShift(static_cast<int>(m_openedCam.index),
                                       ZTCamFunc::DisplayShift(ZTCamFunc::CurrentEntryName(element)));
    else if (isName(element, "DeviceVersion") && text.contains(QLatin1String("FF01")))
        m_bScanTypeLocked = true;
}

void ztstreamgrp::lockScanType()
{
    PanelTree::lockScanType(m_bScanTypeLocked, handle(), m_staticMap);
}

void ztstreamgrp::stopPollTimer()
{
    if (m_nPollTimerId)
        killTimer(m_nPollTimerId);
    m_nPollTimerId = 0;
    m_bPollTimerOn = false;
}

void ztstreamgrp::resizeEvent(QResizeEvent* event)
{
    PanelTree::fitWidth(m_pBrowser, this);
    QWidget::resizeEvent(event);
}

// ---------------------------------------------------------------- refreshes

void ztstreamgrp::refreshRoot() { OnRefreshMap(QStringLiteral("Root")); }

void ztstreamgrp::forEachStaticRow(const PanelTree::RowRefresh& apply)
{
    PanelTree::forEachRow(reader(), m_staticMap, apply);
    lockScanType();
}

void ztstreamgrp::showRow(QtProperty* row, const ZTCamElement& element, const QString& text)
{
    PanelTree::setValue(m_pVariantManager, row, element, text);
    row->setEnabled(writable(element) && element.lock == 0);
    applyNameRules(element, text);
}

void ztstreamgrp::OnRefreshMap(QString name)
{
    forEachStaticRow([&](const QString& key, QtProperty* row, ZTCamElement& element, const QString& text) {
        if (isName(element, "BufferHeight"))
            LUMA_DEBUG("ztstreamgrp::OnRefreshMap", "name = %s,node.pTransfer = %lld", element.name,
                       static_cast<long long>(element.value.intValue));
        row->setEnabled(writable(element));
        if (key != name)
            showRow(row, element, text);
    });
}

void ztstreamgrp::refreshElement()
{
    forEachStaticRow([&](const QString&, QtProperty* row, ZTCamElement& element, const QString& text) {
        if (element.type != ZTCAM_ELEM_FLOAT)
            setRanges(row, element);
        showRow(row, element, text);
    });
}

void ztstreamgrp::updateStreamElem(QString name)
{
    PanelTree::refreshRow(reader(), m_propMap, name, PanelTree::StringText::Read,
                          [this](const QString& key, QtProperty* row, ZTCamElement& element, const QString& text) {
                              PanelTree::setValue(m_pVariantManager, row, element, text);
                              if (m_staticMap.contains(key))
                                  row->setEnabled(writable(element) && element.lock == 0);
                              applyNameRules(element, text);
                          });
}

// ---------------------------------------------------------------- edit

void ztstreamgrp::valueChanged(QtProperty* property, const QVariant& value)
{
    const auto it = m_propNames.constFind(property);
    if (it == m_propNames.constEnd() || !m_bUiReady || !handle() || m_pollMap.contains(it.value()))
        return;
    const QByteArray name = it.value().toLocal8Bit();
    ZTCamElement element{};
    // No result is tested here: what the camera kept shows in the read-back
    // and in the refresh of every static row that follows.
    (void)ZTCAM_GenICam_ElementAttr(handle(), &element, name.constData(), kStreamMap);
    element.name = name.constData();

    auto readBack = [&] {
        (void)ZTCAM_GenICam_GetElementValue(handle(), &element, kStreamMap);
        element.name = name.constData();
    };
    auto writeAndReadBack = [&] {
        (void)ZTCAM_GenICam_SetElementValue(handle(), &element, kStreamMap);
        readBack();
    };
    // A number outside the feature's range, or a fraction for an integer,
    // is never written: a row names it and the row shows the camera's value
    // again.
    if (element.type == ZTCAM_ELEM_INTEGER || element.type == ZTCAM_ELEM_FLOAT) {
        const QString refusal = PanelTree::numberRefusal(element, value.toDouble());
        if (!refusal.isNull()) {
            if (m_pMainWindow)
                m_pMainWindow->onWritelog(refusal);
            readBack();
            const PanelTree::NotReadyScope scope(m_bUiReady);
            PanelTree::setValue(m_pVariantManager, property, element, QString());
            return;
        }
    }

    switch (element.type) {
    case ZTCAM_ELEM_INTEGER:
        element.value.intValue = static_cast<int64_t>(value.toULongLong());
        writeAndReadBack();
        PanelTree::showKept(m_pVariantManager, m_bUiReady, property, static_cast<double>(element.value.intValue));
        break;
    case ZTCAM_ELEM_BOOLEAN:
    case ZTCAM_ELEM_ENUMERATION:
        element.value.intValue = value.toInt();
        (void)ZTCAM_GenICam_SetElementValue(handle(), &element, kStreamMap);
        break;
    case ZTCAM_ELEM_COMMAND:
        // The record carries the command value as the SDK filled it.
        (void)ZTCAM_GenICam_SetElementValue(handle(), &element, kStreamMap);
        break;
    case ZTCAM_ELEM_FLOAT:
        element.value.floatValue = value.toDouble();
        writeAndReadBack();
        PanelTree::showKept(m_pVariantManager, m_bUiReady, property, element.value.floatValue);
        break;
    case ZTCAM_ELEM_STRING: {
        QByteArray bytes = value.toString().toLocal8Bit();
        element.text = bytes.data();
        (void)ZTCAM_GenICam_SetElementValue(handle(), &element, kStreamMap);
        element.text = nullptr;
        break;
    }
    default:
        break;
    }
    refreshElement();
    LUMA_DEBUG("ztstreamgrp::valueChanged", "Id name = %s", name.constData());
}

void ztstreamgrp::refuseTypedText(QtProperty* property, const QString& text)
{
    const QString name = m_propNames.value(property);
    if (!name.isEmpty() && m_pMainWindow)
        m_pMainWindow->onWritelog(PanelTree::textRefusal(name, text));
}

// ---------------------------------------------------------------- poll

void ztstreamgrp::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_nPollTimerId || m_nPollTimerId == 0) {
        QWidget::timerEvent(event);
        return;
    }
    PanelTree::pollRows(reader(), m_pollMap, PanelTree::PolledStringValue::Read,
                        [this](const QString&, QtProperty* row, ZTCamElement& element, const QString&) {
                            if (element.type == ZTCAM_ELEM_INTEGER || element.type == ZTCAM_ELEM_FLOAT ||
                                element.type == ZTCAM_ELEM_ENUMERATION)
                                PanelTree::setValue(m_pVariantManager, row, element, QString());
                        });
}
