#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

class QtAbstractPropertyManager;

// One row of a property browser: a name, a tool tip, an enabled state and
// sub-rows. Its value lives in its manager, which also owns and deletes it.
class QtProperty
{
public:
    QList<QtProperty *> subProperties() const { return m_subProperties; }
    QtAbstractPropertyManager *propertyManager() const { return m_manager; }

    QString propertyName() const { return m_name; }
    QString toolTip() const { return m_toolTip; }
    bool isEnabled() const { return m_enabled; }
    QString valueText() const;

    void setToolTip(const QString &text);
    void setEnabled(bool enable);

    // Appends a sub-row; a property already below this one stays where it is.
    void addSubProperty(QtProperty *property);
    void removeSubProperty(QtProperty *property);

protected:
    explicit QtProperty(QtAbstractPropertyManager *manager);
    virtual ~QtProperty();

private:
    friend class QtAbstractPropertyManager;
    void propertyChanged();

    QtAbstractPropertyManager *m_manager;
    QString m_name;
    QString m_toolTip;
    bool m_enabled = true;
    QList<QtProperty *> m_subProperties;
    QList<QtProperty *> m_parents;
};

Q_DECLARE_METATYPE(QtProperty *)
