#include "PanelTree.h"

#include <QWidget>

#include <qteditorfactory.h>
#include <qttreepropertybrowser.h>
#include <qtvariantproperty.h>

#include <algorithm>

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

bool writable(const ZTCamElement& element)
{
    return element.access == ZTCAM_ACCESS_WRITE_ONLY || element.access == ZTCAM_ACCESS_READ_WRITE;
}

bool isName(const ZTCamElement& element, const char* name)
{
    return element.name && qstrcmp(element.name, name) == 0;
}

}  // namespace PanelTree
