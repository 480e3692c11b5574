#pragma once
// What the device and the stream property panels share of their trees: the
// browser with its factories, managers and row maps, the walk of a node map
// that places category rows by tree level, the locked reads behind every
// refresh and the poll, showing an element's value in a row, the enable and
// name tests of elements, the ready-flag scope of refreshes and the value an
// edit leaves in its row.

#include <QMap>
#include <QString>
#include <QVector>

#include <ZTCam.h>

#include <functional>

class QMutex;
class QVariant;
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
// panel, collapsed and wired to the panel's valueChanged slot, and texts
// refused by its number rows to the panel's refuseTypedText slot.
void finish(const Parts& parts, QWidget* panel, const QVector<QtProperty*>& topLevel);
// On the panel's resize: the browser (null: none yet) takes the panel's
// width. It may be built before the tab has its width, which follows the
// font of the column's texts.
void fitWidth(QtTreePropertyBrowser* browser, const QWidget* panel);

// Makes the row of one element that is no category (null: no row).
using RowMaker = std::function<QtProperty*(ZTCamElement& element)>;
// Walks the elements of `nodeMap` from "Root" until a read fails or a record
// comes without a name: category rows are placed by their level, every other
// element gets the row `makeRow` gives it under the current category, filed
// by name in propMap and propNames. Returns the top-level rows, for finish.
QVector<QtProperty*> walk(const Parts& parts, ZTCamHandle handle, int32_t nodeMap, const RowMaker& makeRow);

// What a refresh or poll pass does with one row read from the camera: its
// name, its row, the element (attributes and value) and a string's text.
using RowRefresh =
    std::function<void(const QString& name, QtProperty* row, ZTCamElement& element, const QString& text)>;

// Whether a refresh shows a row whose value read the SDK refused. The device
// panel shows the record as the reads left it (its edits and refreshes never
// test the value read); the stream panel skips the row.
enum class ReadBackCheck { Ignore, Require };

// Whether a read fetches a string element's text (one more SDK call).
enum class StringText { Read, Skip };

// The panel side of every refresh and poll: the camera and node map rows are
// read from, the mutex that serialises those reads, the manager that shows
// them (no pass without it), the panel's ready flag and its read-back rule.
struct Reader {
    ZTCamHandle handle;
    int32_t nodeMap;
    QMutex* mutex;
    QtVariantPropertyManager* manager;
    bool& ready;
    ReadBackCheck readBack;
};

// Attributes and value of the element `name` under the reader's mutex
// (strings: their text into `text` when given, no value read otherwise).
// False when the SDK refused the attributes, or the value under
// ReadBackCheck::Require.
bool readLocked(const Reader& reader, const QString& name, ZTCamElement& element, QString* text);

// A refresh pass over `rows` in name order with the ready flag held off:
// every row whose element reads goes to `apply`. The text of the string row
// `keepTyped` is not read: that row keeps what the user typed, and its
// element comes with type -1 (no value to show).
void forEachRow(const Reader& reader, const QMap<QString, QtProperty*>& rows, const RowRefresh& apply,
                const QString& keepTyped = QString());

// The same for the one row `name` of `rows`; false when rows lacks it or
// its element did not read.
bool refreshRow(const Reader& reader, const QMap<QString, QtProperty*>& rows, const QString& name,
                StringText strings, const RowRefresh& apply);

// Whether a poll pass reads the value of a polled string row. The device
// panel reads only its attributes (the value of a string needs a text
// buffer, and polled strings keep their text); the stream panel reads
// attributes and value of every polled row, and skips a row whose value
// read fails.
enum class PolledStringValue { Skip, Read };

// One poll pass over `rows` in name order: a row whose element the mutex
// lets be read at once and reads whole (attributes, and the value as
// `strings` says for a string) goes to `show`, with no text; the others wait
// for the next pass.
void pollRows(const Reader& reader, const QMap<QString, QtProperty*>& rows, PolledStringValue strings,
              const RowRefresh& show);

// Disables the static DeviceScanType row of a camera whose DeviceVersion
// holds "FF01" (`locked`).
void lockScanType(bool locked, ZTCamHandle handle, const QMap<QString, QtProperty*>& staticRows);

// The element's value in its row: integers as numbers, strings as `text`.
void setValue(QtVariantPropertyManager* manager, QtProperty* row, const ZTCamElement& element, const QString& text);

// The step and decimals of an integer or float row, and no bounds: a spin
// box held to the range drops the keystroke that leaves it, so that 5000
// typed into a row of 16..800 would become 500 and 20 typed into one of
// 1..16 would become 2. The row takes any number; the edit refuses one
// outside the range (numberRefusal).
void setNumberStep(QtVariantPropertyManager* manager, QtProperty* row, const ZTCamElement& element);

// The log row for a number typed into the row of an integer or float
// element that the element cannot take as typed: "Name: typed is not a whole
// number" for a fraction typed for an integer, "Name: typed is outside
// minimum..maximum" for a number outside the range as just read (an empty
// range, minimum above maximum, holds every number). Null when the element
// takes the number. Integers read as whole numbers, floats in their shortest
// form.
QString numberRefusal(const ZTCamElement& element, double typed);

// The log row for a text typed into the number row of `name` that reads as
// no number; nothing is written and the row shows its value again.
QString textRefusal(const QString& name, const QString& typed);

// Shows in `row` the value the camera kept after an edit, with the ready
// flag held off: a number it adjusted or refused is not taken for another
// edit.
void showKept(QtVariantPropertyManager* manager, bool& ready, QtProperty* row, const QVariant& value);

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
