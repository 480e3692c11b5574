#include "propertybrowser/QtAbstractEditorFactory.h"

QtAbstractEditorFactoryBase::QtAbstractEditorFactoryBase(QObject *parent)
    : QObject(parent)
{
}

void QtAbstractEditorFactoryBase::updateEditor(QWidget *, QtProperty *)
{
}
