#pragma once
// The data-stream property panel of one camera: the tree of the camera's
// stream features (node map 1) as typed rows under their categories, the
// edits that write them back, the refreshes that re-read them and the
// one-second poll of the counters. A plainer twin of the device panel: no
// address or time texts, no visibility levels, no rules by name beyond the
// pixel format's display shift and the scan-type lock, no temperature or
// connection watch. Everything runs on the GUI thread.

#include <QMap>
#include <QString>
#include <QVariant>
#include <QVector>
#include <QWidget>

#include <ZTCam.h>

#include "PanelTree.h"

class MainWindow;
class QMutex;
class QResizeEvent;
class QTimerEvent;
class QtProperty;
class QtTreePropertyBrowser;
class QtVariantEditorFactory;
class QtVariantPropertyManager;
class ZTStringFactory;
class ZTStringPropertyManager;

namespace Ui {
class ztstreamgrp;
}

class ztstreamgrp : public QWidget {
    Q_OBJECT

public:
    // Builds the tree at once.
    ztstreamgrp(OpenedCamera camera, QWidget* parent = nullptr);
    ~ztstreamgrp() override;

    void setMainWindow(MainWindow* window);
    void buildTree();
    // Stops the poll, empties the maps and deletes browser, factories and
    // managers.
    void clearTree();
    void lockScanType();
    void stopPollTimer();
    ZTCamHandle handle() const { return m_openedCam.handle; }

    // Re-reads every static row but the one called name ("Root": all).
    void OnRefreshMap(QString name);
    void refreshRoot();
    // Re-reads every static row with ranges and entries.
    void refreshElement();
    // Re-reads the value of one row (static or polled).
    void updateStreamElem(QString name);

public slots:
    void valueChanged(QtProperty* property, const QVariant& value);
    // A text typed into a number row that reads as no number: a row says so
    // and the camera keeps its value.
    void refuseTypedText(QtProperty* property, const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

public:
    // ---- members, in this order; the window and the tests read them ----
    Ui::ztstreamgrp* ui = nullptr;
    QMap<QtProperty*, QString> m_propNames;  // every non-category row
    QMap<QString, QtProperty*> m_propMap;    // every non-category row
    QMap<QString, QtProperty*> m_pollMap;    // polled rows and LineFillCount
    QMap<QString, QtProperty*> m_staticMap;  // every other non-category row
    QtTreePropertyBrowser* m_pBrowser = nullptr;
    QtVariantEditorFactory* m_pVariantFactory = nullptr;
    QtVariantPropertyManager* m_pVariantManager = nullptr;
    ZTStringFactory* m_pStringFactory = nullptr;
    ZTStringPropertyManager* m_pStringManager = nullptr;
    bool m_bUiReady = true;  // false while a refresh sets values
    OpenedCamera m_openedCam{};
    int m_nPollTimerId = 0;
    QMutex* m_pElemMutex = nullptr;  // element reads of refreshes and poll
    MainWindow* m_pMainWindow = nullptr;
    bool m_bPollTimerOn = false;
    bool m_bScanTypeLocked = false;  // DeviceVersion holds "FF01"

private:
    QtProperty* createRow(ZTCamElement& element);
    void registerProperty(QtProperty* property, const ZTCamElement& element);
    void setRanges(QtProperty* property, const ZTCamElement& element);
    PanelTree::Parts treeParts();
    // The node map, mutex, manager and ready flag the shared refreshes and
    // the poll use; a refused value read skips the row.
    PanelTree::Reader reader();
    // Reads every static row (strings with their text) and hands it to
    // `apply` while values are set; then the scan-type lock.
    void forEachStaticRow(const PanelTree::RowRefresh& apply);
    // A refreshed row's value, lock rule and name rules.
    void showRow(QtProperty* row, const ZTCamElement& element, const QString& text);
    // The display shift of PixelFormat and the scan-type lock of
    // DeviceVersion.
    void applyNameRules(const ZTCamElement& element, const QString& text);
};
