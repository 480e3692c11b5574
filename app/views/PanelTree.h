#pragma once
// What the device and the stream property panels share of their trees: the
// browser with its factories, managers and row maps, the walk of a node map
// that places category rows by tree level, showing an element's value in a
// row, the enable and name tests of elements, and the ready-flag scope of
// refreshes.

#include <QMap>
#include <QString>
#include <QVector>

#include <ZTCam.h>

#include <functional>

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
    QMap<QtProperty*, QString>& propNames;
    QMap<QString, QtProperty*>& propMap;
    QMap<QString, QtProperty*>& pollMap;
    QMap<QString, QtProperty*>& staticMap;
    QtTreePropertyBrowser*& browser;
    QtVariantEditorFactory*& variantFactory;
    QtVariantPropertyManager*& variantManager;
    ZTStringFactory*& stringFactory;
    ZTStringPropertyManager*& stringManager;
};

// New browser, factories and managers, all children of the panel.
void create(const Parts& parts, QWidget* panel);
// Empties the four maps, deletes browser, factories and managers (browser
// first: it holds the factories' editors) and sets them to null.
void destroy(const Parts& parts);
// After the walk: the top-level rows join the browser, which is sized to the
// panel, collapsed and wired to the panel's valueChanged slot.
void finish(const Parts& parts, QWidget* panel, const QVector<QtProperty*>& topLevel);

// Makes the row of one element that is no category (null: no row).
using RowMaker = std::function<QtProperty*(ZTCamElement& element)>;
// Walks the elements of `nodeMap` from "Root" until a read fails or a record
// comes without a name: category rows are placed by their level, every other
// element gets the row `makeRow` gives it under the current category, filed
// by name in propMap and propNames. Returns the top-level rows, for finish.
QVector<QtProperty*> walk(const Parts& parts, ZTCamHandle handle, int32_t nodeMap, const RowMaker& makeRow);

// What a refresh pass does with one static row read from the camera: its
// name, its row, the element (attributes and value) and a string's text.
using RowRefresh =
    std::function<void(const QString& name, QtProperty* row, ZTCamElement& element, const QString& text)>;

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
