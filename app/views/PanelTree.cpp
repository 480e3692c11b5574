#include "PanelTree.h"

#include <QMutex>
#include <QMutexLocker>
#include <QWidget>

#include <qteditorfactory.h>
#include <qttreepropertybrowser.h>
#include <qtvariantproperty.h>

#include <algorithm>
#include <cmath>

#include "ElementText.h"
#include "NumberText.h"
#include "ZTStringFactory.h"
#include "ZTStringPropertyManager.h"

namespace PanelTree {

namespace {

// Tree walk state: the category rows seen per level and the current one.
struct Categories {
    QVector<QtProperty*> lastAtLevel;
    QtProperty* current = nullptr;
};

// A group row for a category element under the last category one level up
// (top level for level 0 or when that level never came).
void addCategory(const Parts& parts, const ZTCamElement& element, Categories& categories,
                 QVector<QtProperty*>& topLevel)
{
    QtProperty* group =
        parts.variantManager->addProperty(QtVariantPropertyManager::groupTypeId(), QString::fromLocal8Bit(element.name));
    const int level = std::max(0, static_cast<int>(element.level));
    QVector<QtProperty*>& last = categories.lastAtLevel;
    QtProperty* parent = level > 0 && level - 1 < last.size() ? last.at(level - 1) : nullptr;
    if (parent)
        parent->addSubProperty(group);
    else
        topLevel.append(group);
    if (last.size() <= level)
        last.resize(level + 1);
    last[level] = group;
    categories.current = group;
    parts.browser->setFactoryForManager(parts.variantManager, parts.variantFactory);
}

// An element row under the current category (top level before any).
void addRow(QtProperty* row, const Categories& categories, QVector<QtProperty*>& topLevel)
{
    if (categories.current)
        categories.current->addSubProperty(row);
    else
        topLevel.append(row);
}

}  // namespace

void create(const Parts& parts, QWidget* panel)
{
    parts.browser = new QtTreePropertyBrowser(panel);
    parts.variantFactory = new QtVariantEditorFactory(panel);
    parts.variantManager = new QtVariantPropertyManager(panel);
    parts.stringFactory = new ZTStringFactory(panel);
    parts.stringManager = new ZTStringPropertyManager(panel);
}

void destroy(const Parts& parts)
{
    parts.propNames.clear();
    parts.propMap.clear();
    parts.pollMap.clear();
    parts.staticMap.clear();
    if (parts.browser)
        parts.browser->clear();
    delete parts.browser;
    parts.browser = nullptr;
    delete parts.variantFactory;
    parts.variantFactory = nullptr;
    delete parts.stringFactory;
    parts.stringFactory = nullptr;
    delete parts.variantManager;
    parts.variantManager = nullptr;
    delete parts.stringManager;
    parts.stringManager = nullptr;
}

void finish(const Parts& parts, QWidget* panel, const QVector<QtProperty*>& topLevel)
{
    QtTreePropertyBrowser* browser = parts.browser;
    for (QtProperty* row : topLevel)
        browser->addProperty(row);
    browser->setGeometry(0, 0, panel->width() - 6, panel->height() - 35);
    browser->setResizeMode(QtTreePropertyBrowser::Interactive);
    browser->setSplitterPosition(panel->width() / 2);
    for (QtBrowserItem* item : browser->topLevelItems())
        browser->setExpanded(item, false);
    QObject::connect(parts.stringFactory, SIGNAL(valueChanged(QtProperty*, const QVariant&)), panel,
                     SLOT(valueChanged(QtProperty*, const QVariant&)));
    QObject::connect(parts.variantManager, SIGNAL(valueChanged(QtProperty*, const QVariant&)), panel,
                     SLOT(valueChanged(QtProperty*, const QVariant&)));
    QObject::connect(parts.variantFactory, SIGNAL(numberTextRefused(QtProperty*, const QString&)), panel,
                     SLOT(refuseTypedText(QtProperty*, const QString&)));
}

void fitWidth(QtTreePropertyBrowser* browser, const QWidget* panel)
{
    if (browser)
        browser->resize(panel->width() - 6, browser->height());
}

QVector<QtProperty*> walk(const Parts& parts, ZTCamHandle handle, int32_t nodeMap, const RowMaker& makeRow)
{
    Categories categories;
    QVector<QtProperty*> topLevel;
    ZTCamElement element{};
    ZTCamStatus status = ZTCAM_GenICam_ElementAttrNext(handle, &element, "Root", nodeMap);
    while (status == ZTCAM_STATUS_SUCCESS && element.name) {  // no name: nothing to continue from
        if (element.type == ZTCAM_ELEM_CATEGORY) {
            addCategory(parts, element, categories, topLevel);
        } else if (QtProperty* row = makeRow(element)) {
            const QString name = QString::fromLocal8Bit(element.name);
            parts.propMap[name] = row;
            parts.propNames[row] = name;
            addRow(row, categories, topLevel);
        }
        const char* previous = element.name;
        element = ZTCamElement{};
        status = ZTCAM_GenICam_ElementAttrNext(handle, &element, previous, nodeMap);
    }
    return topLevel;
}

bool readLocked(const Reader& reader, const QString& name, ZTCamElement& element, QString* text)
{
    const QByteArray bytes = name.toLocal8Bit();
    QMutexLocker lock(reader.mutex);
    element = ZTCamElement{};
    if (ZTCAM_GenICam_ElementAttr(reader.handle, &element, bytes.constData(), reader.nodeMap) != ZTCAM_STATUS_SUCCESS)
        return false;
    if (element.type == ZTCAM_ELEM_STRING) {
        if (text)
            *text = ElementText::readString(reader.handle, element, nullptr, reader.nodeMap);
        return true;
    }
    const ZTCamStatus read = ZTCAM_GenICam_GetElementValue(reader.handle, &element, reader.nodeMap);
    return reader.readBack == ReadBackCheck::Ignore || read == ZTCAM_STATUS_SUCCESS;
}

void forEachRow(const Reader& reader, const QMap<QString, QtProperty*>& rows, const RowRefresh& apply,
                const QString& keepTyped)
{
    if (!reader.handle || !reader.manager)
        return;
    const NotReadyScope scope(reader.ready);
    for (auto it = rows.constBegin(); it != rows.constEnd(); ++it) {
        ZTCamElement element{};
        QString text;
        const bool keep = it.key() == keepTyped;
        if (!readLocked(reader, it.key(), element, keep ? nullptr : &text))
            continue;
        if (keep && element.type == ZTCAM_ELEM_STRING)
            element.type = -1;
        apply(it.key(), it.value(), element, text);
    }
}

bool refreshRow(const Reader& reader, const QMap<QString, QtProperty*>& rows, const QString& name,
                StringText strings, const RowRefresh& apply)
{
    QtProperty* row = rows.value(name, nullptr);
    if (!row || !reader.handle || !reader.manager)
        return false;
    const NotReadyScope scope(reader.ready);
    ZTCamElement element{};
    QString text;
    if (!readLocked(reader, name, element, strings == StringText::Read ? &text : nullptr))
        return false;
    apply(name, row, element, text);
    return true;
}

void pollRows(const Reader& reader, const QMap<QString, QtProperty*>& rows, PolledStringValue strings,
              const RowRefresh& show)
{
    if (!reader.handle || !reader.manager)
        return;
    for (auto it = rows.constBegin(); it != rows.constEnd(); ++it) {
        if (!reader.mutex->tryLock())
            continue;  // a refresh is reading: this row waits for the next pass
        const QByteArray name = it.key().toLocal8Bit();
        ZTCamElement element{};
        bool ok = ZTCAM_GenICam_ElementAttr(reader.handle, &element, name.constData(), reader.nodeMap) ==
                  ZTCAM_STATUS_SUCCESS;
        if (ok && (element.type != ZTCAM_ELEM_STRING || strings == PolledStringValue::Read))
            ok = ZTCAM_GenICam_GetElementValue(reader.handle, &element, reader.nodeMap) == ZTCAM_STATUS_SUCCESS;
        reader.mutex->unlock();
        if (ok)
            show(it.key(), it.value(), element, QString());
    }
}

void lockScanType(bool locked, ZTCamHandle handle, const QMap<QString, QtProperty*>& staticRows)
{
    if (!locked || !handle)
        return;
    if (QtProperty* row = staticRows.value(QStringLiteral("DeviceScanType"), nullptr))
        row->setEnabled(false);
}

void setValue(QtVariantPropertyManager* manager, QtProperty* row, const ZTCamElement& element, const QString& text)
{
    switch (element.type) {
    case ZTCAM_ELEM_INTEGER:
        manager->setValue(row, static_cast<double>(element.value.intValue));
        break;
    case ZTCAM_ELEM_BOOLEAN:
        manager->setValue(row, element.value.intValue != 0);
        break;
    case ZTCAM_ELEM_FLOAT:
        manager->setValue(row, element.value.floatValue);
        break;
    case ZTCAM_ELEM_STRING:
        manager->setValue(row, text);
        break;
    case ZTCAM_ELEM_ENUMERATION:
        manager->setValue(row, static_cast<int>(element.value.intValue));
        break;
    default:
        break;
    }
}

void setNumberStep(QtVariantPropertyManager* manager, QtProperty* row, const ZTCamElement& element)
{
    if (element.type == ZTCAM_ELEM_FLOAT) {
        manager->setAttribute(row, QStringLiteral("decimals"),
                              static_cast<int>(std::clamp<int64_t>(element.decimals, 1, 6)));
        const double step = element.increment.floatValue;
        manager->setAttribute(row, QStringLiteral("singleStep"), step < 1e-6 ? 1.0 : step);
    } else {
        manager->setAttribute(row, QStringLiteral("singleStep"), static_cast<double>(element.increment.intValue));
        manager->setAttribute(row, QStringLiteral("decimals"), 0);
    }
}

QString numberRefusal(const ZTCamElement& element, double typed)
{
    const bool isFloat = element.type == ZTCAM_ELEM_FLOAT;
    if (!isFloat && typed != std::floor(typed))
        return NumberText::notWhole(QString::fromLocal8Bit(element.name), QString::number(typed, 'g', 15));
    const double minimum = isFloat ? element.minimum.floatValue : static_cast<double>(element.minimum.intValue);
    const double maximum = isFloat ? element.maximum.floatValue : static_cast<double>(element.maximum.intValue);
    if (minimum > maximum || (typed >= minimum && typed <= maximum))
        return QString();
    // Fifteen digits: 0.1 reads 0.1, not as the nearest double's expansion.
    const auto number = [](double v) { return QString::number(v, 'g', 15); };
    const QString name = QString::fromLocal8Bit(element.name);
    const QString text = QStringLiteral("%1: %2 is outside %3..%4");
    if (isFloat)
        return text.arg(name, number(typed), number(minimum), number(maximum));
    return text.arg(name, QString::number(typed, 'g', 17), QString::number(element.minimum.intValue),
                    QString::number(element.maximum.intValue));
}

QString textRefusal(const QString& name, const QString& typed) { return NumberText::notANumber(name, typed); }

void showKept(QtVariantPropertyManager* manager, bool& ready, QtProperty* row, const QVariant& value)
{
    const NotReadyScope scope(ready);
    manager->setValue(row, value);
}

bool writable(const ZTCamElement& element)
{
    return element.access == ZTCAM_ACCESS_WRITE_ONLY || element.access == ZTCAM_ACCESS_READ_WRITE;
}

bool isName(const ZTCamElement& element, const char* name)
{
    return element.name && qstrcmp(element.name, name) == 0;
}

}  // namespace PanelTree
