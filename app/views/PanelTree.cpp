#include "PanelTree.h"

#include <QWidget>

#include <qteditorfactory.h>
#include <qttreepropertybrowser.h>
#include <qtvariantproperty.h>

#include <algorithm>

#include "ZTStringFactory.h"
#include "ZTStringPropertyManager.h"

namespace PanelTree {

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

void addRow(QtProperty* row, const Categories& categories, QVector<QtProperty*>& topLevel)
{
    if (categories.current)
        categories.current->addSubProperty(row);
    else
        topLevel.append(row);
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
