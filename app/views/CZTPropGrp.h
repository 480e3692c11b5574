#pragma once
// The device property panel of one camera: the tree of the camera's GenICam
// features (node map 0) as typed rows under their categories, the edits that
// write them back, the refreshes that re-read them, and the one-second poll of
// the rows that change by themselves with the temperature watch.
//
// Construction and the tree walk are in CZTPropGrp.cpp, edits and refreshes
// in CZTPropGrpEdit.cpp, the poll in CZTPropGrpPoll.cpp. Everything runs on
// the GUI thread.

#include <QPointer>
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
class ZtMsgBox;

namespace Ui {
class CZTPropGrp;
}

class CZTPropGrp : public QWidget {
    Q_OBJECT

public:
    CZTPropGrp(OpenedCamera camera, QWidget* parent = nullptr);
    ~CZTPropGrp() override;

    // Stores the window, builds the tree, connects the window's slots and
    // makes the warning box.
    void init(MainWindow* window);
    void buildTree();
    // Stops the poll, empties the maps and deletes browser, factories and
    // managers.
    void clearTree();
    void registerProperty(QtProperty* property, const ZTCamElement& element);
    // Shows a row exactly while m_nLevel reaches the element's visibility.
    void refreshAttributes(const ZTCamElement& element, QtProperty* property);
    void lockScanType();

    ZTCamHandle handle() const { return m_openedCam.handle; }
    void stopPollTimer();
    void refreshRoot();
    void requestRefreshUI();

    // Re-read every static row but the one called name.
    void refreshElements(QString name);
    // Re-read one static row's value.
    void refreshElementValue(QString name);
    // Re-read every static row with ranges and entries.
    void refreshAllValues();
    void updateElemRange(QString name);
    // Re-read one row's enumeration entries (the window's name for
    // refreshEnumEntries).
    void updateElemEnum(QString name) { refreshEnumEntries(name); }
    void refreshEnumEntries(QString name);
    // On cameras of product 0xE427: switches a running TEC off.
    void resetTECOperationMode();
    void updateTriggerState(const ZTCamElement& element);
    void syncTimeStampCapability(const ZTCamElement& element);

signals:
    void sglRefreshUI(QString id);
    void sglUpdatePropertyElemRange(CZTPropGrp* propGrp, QString id);
    void sglUpdatePropertyElemEnum(CZTPropGrp* propGrp, QString id);
    void sglUpdateStreamElem(CZTPropGrp* propGrp, QString id);

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
    Ui::CZTPropGrp* ui = nullptr;
    QMap<QtProperty*, QString> m_propNames;  // every non-category row
    QMap<QString, QtProperty*> m_propMap;    // every non-category row
    QMap<QString, QtProperty*> m_pollMap;    // polled rows, commands excepted
    QMap<QString, QtProperty*> m_staticMap;  // every other non-category row
    QtTreePropertyBrowser* m_pBrowser = nullptr;
    QtVariantEditorFactory* m_pVariantFactory = nullptr;
    QtVariantPropertyManager* m_pVariantManager = nullptr;
    ZTStringFactory* m_pStringFactory = nullptr;
    ZTStringPropertyManager* m_pStringManager = nullptr;
    bool m_bUiReady = true;  // false while a refresh writes values
    OpenedCamera m_openedCam{};
    int m_nPollTimerId = 0;
    QMutex* m_pElemMutex = nullptr;  // element reads of refreshes and poll
    MainWindow* m_pMainWindow = nullptr;
    double m_dLastSensorTemp = 0.0;
    bool m_bPollTimerOn = false;
    int m_nLevel = 2;  // visibility level: 0 beginner, 1 expert, 2 guru
    bool m_bTriggerMode = false;
    bool m_bTriggerModeMirror = false;  // handed to the window
    bool m_bScanTypeLocked = false;     // DeviceVersion holds "FF01"
    QPointer<ZtMsgBox> m_pWarnBox;  // a child of the window, deleted with this panel

private:
    // Tree walk: the row of one element under the current category.
    QtProperty* createRow(ZTCamElement& element);
    PanelTree::Parts treeParts();
    // The node map, mutex, manager and ready flag the shared refreshes and
    // the poll use; the value read is not tested.
    PanelTree::Reader reader();
    void setRowValue(QtProperty* property, const ZTCamElement& element, const QString& text);
    // Reads every static row (strings with their text) and hands it to
    // `apply` while values are set; then the scan-type lock.
    void forEachStaticRow(const PanelTree::RowRefresh& apply);
    // Visibility, lock rule and display shift of a refreshed row.
    void finishRow(QtProperty* row, const ZTCamElement& element);
    void applyLockRule(QtProperty* property, const ZTCamElement& element);
    void applyDisplayShift(const ZTCamElement& element);
    void logCameraMessage();
    // The steps of an edit: the write of each element type, each followed
    // by the camera's message, the read-back of numbers, and the rows other
    // edits make re-read.
    bool writeEdit(QtProperty* property, ZTCamElement& element, const QVariant& value);
    ZTCamStatus writeAndLog(ZTCamElement& element);
    void readBack(ZTCamElement& element);
    bool writeInteger(QtProperty* property, ZTCamElement& element, const QVariant& value);
    bool acceptNumber(QtProperty* property, ZTCamElement& element, double typed);
    void runCommand(ZTCamElement& element);
    bool writeString(QtProperty* property, ZTCamElement& element, const QVariant& value);
    void writeEnumeration(ZTCamElement& element, const QVariant& value);
    void applyFollowUps(const QString& name);
    void writeLog(const QString& text);
    void requestReconnect(bool wasLive);
    bool applyUserIdRule(QtProperty* property, const QString& text);
    void warn(const QString& text, bool refreshCooling);
    void checkTemperature(const QString& name, double celsius);
};
