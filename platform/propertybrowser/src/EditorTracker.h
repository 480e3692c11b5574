#pragma once

#include <QHash>
#include <QObject>

class QtAbstractPropertyManager;
class QtProperty;
class QWidget;

// A factory's record of which property each of its open editors edits. An
// editor whose property is destroyed, or whose manager the factory no longer
// serves, edits nothing any more.
class EditorTracker : public QObject
{
    Q_OBJECT
public:
    explicit EditorTracker(QObject *parent);

    void add(QWidget *editor, QtProperty *property);
    // Null when the editor edits nothing (any more).
    QtProperty *property(QWidget *editor) const;

    void watch(QtAbstractPropertyManager *manager);
    void unwatch(QtAbstractPropertyManager *manager);

private:
    void forget(QtProperty *property);

    QHash<QObject *, QtProperty *> m_editors;
};
