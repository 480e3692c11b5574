#include "EditorTracker.h"

#include "propertybrowser/QtAbstractPropertyManager.h"
#include "propertybrowser/QtProperty.h"

#include <QWidget>

EditorTracker::EditorTracker(QObject *parent)
    : QObject(parent)
{
}

void EditorTracker::add(QWidget *editor, QtProperty *property)
{
    m_editors.insert(editor, property);
    connect(editor, &QObject::destroyed, this, [this](QObject *object) { m_editors.remove(object); });
}

QtProperty *EditorTracker::property(QWidget *editor) const
{
    return m_editors.value(editor);
}

void EditorTracker::watch(QtAbstractPropertyManager *manager)
{
    connect(manager, &QtAbstractPropertyManager::propertyDestroyed, this, &EditorTracker::forget);
}

void EditorTracker::unwatch(QtAbstractPropertyManager *manager)
{
    disconnect(manager, &QtAbstractPropertyManager::propertyDestroyed, this, &EditorTracker::forget);
    for (auto it = m_editors.begin(); it != m_editors.end();) {
        if (it.value()->propertyManager() == manager)
            it = m_editors.erase(it);
        else
            ++it;
    }
}

void EditorTracker::forget(QtProperty *property)
{
    for (auto it = m_editors.begin(); it != m_editors.end();) {
        if (it.value() == property)
            it = m_editors.erase(it);
        else
            ++it;
    }
}
