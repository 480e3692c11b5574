#pragma once
// What the device and the stream property panels share of their trees: the
// browser with its factories and managers, the placing of category rows by
// tree level, showing an element's value in a row, the enable and name
// tests of elements, and the ready-flag scope of refreshes.

#include <QString>
#include <QVector>

#include <ZTCam.h>

class QWidget;
class QtProperty;
class QtTreePropertyBrowser;
class QtVariantEditorFactory;
class QtVariantPropertyManager;
class ZTStringFactory;
class ZTStringPropertyManager;

namespace PanelTree {

// The panel's own members, filled and emptied here.
struct Parts {
    QtTreePropertyBrowser*& browser;
    QtVariantEditorFactory*& variantFactory;
    QtVariantPropertyManager*& variantManager;
    ZTStringFactory*& stringFactory;
    ZTStringPropertyManager*& stringManager;
};

// New browser, factories and managers, all children of the panel.
void create(const Parts& parts, QWidget* panel);
// Deletes them (browser first: it holds the factories' editors) and sets
// them to null.
void destroy(const Parts& parts);
// After the walk: the top-level rows join the browser, which is sized to the
// panel, collapsed and wired to the panel's valueChanged slot.
void finish(const Parts& parts, QWidget* panel, const QVector<QtProperty*>& topLevel);

// Tree walk state: the category rows seen per level and the current one.
struct Categories {
    QVector<QtProperty*> lastAtLevel;
    QtProperty* current = nullptr;
};
// A group row for a category element under the last category one level up
// (top level for level 0 or when that level never came).
void addCategory(const Parts& parts, const ZTCamElement& element, Categories& categories,
                 QVector<QtProperty*>& topLevel);
// An element row under the current category (top level before any).
void addRow(QtProperty* row, const Categories& categories, QVector<QtProperty*>& topLevel);

// The element's value in its row: integers as numbers, strings as `text`.
void setValue(QtVariantPropertyManager* manager, QtProperty* row, const ZTCamElement& element, const QString& text);

// Access mode write-only or read-write.
bool writable(const ZTCamElement& element);
// The element is called `name`.
bool isName(const ZTCamElement& element, const char* name);

// Holds the panel's ready flag off for one scope, so that the rows a refresh
// sets are never written back to the camera.
class NotReadyScope {
public:
    explicit NotReadyScope(bool& ready) : m_ready(ready), m_old(ready) { m_ready = false; }
    ~NotReadyScope() { m_ready = m_old; }
    NotReadyScope(const NotReadyScope&) = delete;
    NotReadyScope& operator=(const NotReadyScope&) = delete;

private:
    bool& m_ready;
    bool m_old;
};

}  // namespace PanelTree
