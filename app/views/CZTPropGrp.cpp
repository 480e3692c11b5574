// Construction of the device property panel and the walk of the camera's
// feature tree.
#include "CZTPropGrp.h"

#include "ui_cztpropgrp.h"

#include <QMetaType>
#include <QMutex>
#include <QResizeEvent>
#include <QVector>

#include <qteditorfactory.h>
#include <qttreepropertybrowser.h>
#include <qtvariantproperty.h>

#include "DebugLine.h"
#include "ElementText.h"
#include "MainWindow.h"
#include "PanelTree.h"
#include "ZTCamFunc.h"
#include "ZTStringFactory.h"
#include "ZTStringPropertyManager.h"
#include "ZtMsgBox.h"

CZTPropGrp::CZTPropGrp(OpenedCamera camera, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::CZTPropGrp)
    , m_openedCam(camera)
{
    static const int registered = qRegisterMetaType<CZTPropGrp*>("CZTPropGrp*");
    (void)registered;
    ui->setupUi(this);
    setGeometry(0, 0, 296, 550);
    m_pElemMutex = new QMutex;
    LUMA_DEBUG("CZTPropGrp::CZTPropGrp", "GraphicsPropertyUI initialized");
}

CZTPropGrp::~CZTPropGrp()
{
    // The warning box belongs to the window: it goes with its panel.
    delete m_pWarnBox;
    clearTree();
    delete m_pElemMutex;
    m_pElemMutex = nullptr;
    delete ui;
}

void CZTPropGrp::init(MainWindow* window)
{
    m_pMainWindow = window;
    buildTree();
    if (window) {
        connect(this, &CZTPropGrp::sglRefreshUI, window, &MainWindow::onRefreshPropUI);
        connect(this, &CZTPropGrp::sglUpdatePropertyElemRange, window, &MainWindow::onUpdatePropertyElemRange);
        connect(this, &CZTPropGrp::sglUpdatePropertyElemEnum, window, &MainWindow::onUpdatePropertyElemEnum);
        connect(this, &CZTPropGrp::sglUpdateStreamElem, window, &MainWindow::onUpdateStreamElemValue);
    }
    if (!m_pWarnBox)
        m_pWarnBox = new ZtMsgBox(window);
}

PanelTree::Parts CZTPropGrp::treeParts()
{
    return {m_propNames, m_propMap, m_pollMap, m_staticMap, m_pBrowser,
            m_pVariantFactory, m_pVariantManager, m_pStringFactory, m_pStringManager};
}

void CZTPropGrp::clearTree()
{
    stopPollTimer();
    PanelTree::destroy(treeParts());
}

void CZTPropGrp::buildTree()
{
    clearTree();
    if (!handle())
        return;
    PanelTree::create(treeParts(), this);
    // The browser gets each top-level row with everything below it once the
    // walk is done, so that no row is shown and re-shown while it grows.
    QVector<QtProperty*> hidden;
    const QVector<QtProperty*> topLevel =
        PanelTree::walk(treeParts(), handle(), ZTCAM_NODEMAP_CAMERA, [&](ZTCamElement& element) {
            QtProperty* row = createRow(element);
            if (!row)
                return row;
            registerProperty(row, element);
            if (m_nLevel < element.visibility)
                hidden.append(row);
            syncTimeStampCapability(element);
            updateTriggerState(element);
            return row;
        });

    if (!m_bPollTimerOn) {
        m_nPollTimerId = startTimer(1000, Qt::CoarseTimer);
        m_bPollTimerOn = m_nPollTimerId != 0;
    }
    PanelTree::finish(treeParts(), this, topLevel);
    for (QtProperty* row : hidden) {
        const QList<QtBrowserItem*> items = m_pBrowser->items(row);
        if (!items.isEmpty())
            m_pBrowser->setItemVisible(items.first(), false);
    }
}

QtProperty* CZTPropGrp::createRow(ZTCamElement& element)
{
    const QString name = QString::fromLocal8Bit(element.name);
    QtVariantPropertyManager* vm = m_pVariantManager;
    switch (element.type) {
    case ZTCAM_ELEM_INTEGER: {
        const QString text = ElementText::representedText(element);
        if (!text.isNull()) {
            QtProperty* row = vm->addProperty(QVariant::String, name);
            vm->setValue(row, text);
            return row;
        }
        QtProperty* row = vm->addProperty(QVariant::Double, name);
        PanelTree::setNumberStep(vm, row, element);
        vm->setValue(row, static_cast<double>(element.value.intValue));
        return row;
    }
    case ZTCAM_ELEM_BOOLEAN: {
        QtProperty* row = vm->addProperty(QVariant::Bool, name);
        vm->setValue(row, element.value.intValue != 0);
        return row;
    }
    case ZTCAM_ELEM_COMMAND: {
        QtProperty* row = m_pStringManager->addProperty(name);
        m_pStringManager->setValue(row, QStringLiteral("{Command}"));
        m_pBrowser->setFactoryForManager(m_pStringManager, m_pStringFactory);
        return row;
    }
    case ZTCAM_ELEM_FLOAT: {
        QtProperty* row = vm->addProperty(QVariant::Double, name);
        PanelTree::setNumberStep(vm, row, element);
        vm->setValue(row, element.value.floatValue);
        return row;
    }
    case ZTCAM_ELEM_STRING: {
        QtProperty* row = vm->addProperty(QVariant::String, name);
        vm->setValue(row, ElementText::readString(handle(), element));
        return row;
    }
    case ZTCAM_ELEM_ENUMERATION: {
        QtProperty* row = vm->addProperty(QtVariantPropertyManager::enumTypeId(), name);
        vm->setAttribute(row, QStringLiteral("enumNames"), ElementText::entryNames(element));
        vm->setValue(row, static_cast<int>(element.value.intValue));
        return row;
    }
    default:
        return nullptr;
    }
}

void CZTPropGrp::registerProperty(QtProperty* property, const ZTCamElement& element)
{
    if (!property)
        return;
    property->setToolTip(element.tooltip ? QString::fromLocal8Bit(element.tooltip) : QString());
    property->setEnabled(PanelTree::writable(element));
    const QString name = element.name ? QString::fromLocal8Bit(element.name) : property->propertyName();
    if (element.polled && element.type != ZTCAM_ELEM_COMMAND)
        m_pollMap[name] = property;
    else if (element.type != ZTCAM_ELEM_CATEGORY)
        m_staticMap[name] = property;
}

void CZTPropGrp::refreshAttributes(const ZTCamElement& element, QtProperty* property)
{
    if (!m_pBrowser || !property || element.type == ZTCAM_ELEM_CATEGORY)
        return;
    const QList<QtBrowserItem*> items = m_pBrowser->items(property);
    if (!items.isEmpty())
        m_pBrowser->setItemVisible(items.first(), m_nLevel >= element.visibility);
}

void CZTPropGrp::lockScanType()
{
    PanelTree::lockScanType(m_bScanTypeLocked, handle(), m_staticMap);
}

void CZTPropGrp::stopPollTimer()
{
    if (m_nPollTimerId)
        killTimer(m_nPollTimerId);
    m_nPollTimerId = 0;
    m_bPollTimerOn = false;
}

void CZTPropGrp::refreshRoot()
{
    refreshElements(QStringLiteral("Root"));
}

void CZTPropGrp::requestRefreshUI()
{
    emit sglRefreshUI(QStringLiteral("root"));
}

void CZTPropGrp::resizeEvent(QResizeEvent* event)
{
    if (QWidget* p = parentWidget())
        setGeometry(0, 0, p->width(), p->height());
    PanelTree::fitWidth(m_pBrowser, this);
    QWidget::resizeEvent(event);
}

void CZTPropGrp::applyDisplayShift(const ZTCamElement& element)
{
    if (!m_pMainWindow || !element.name || qstrcmp(element.name, "PixelFormat") != 0)
        return;
    m_pMainWindow->setDisplayShift(static_cast<int>(m_openedCam.index),
                                   ZTCamFunc::DisplayShift(ZTCamFunc::CurrentEntryName(element)));
}
