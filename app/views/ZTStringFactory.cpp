#include "ZTStringFactory.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QWidget>

ZTStringFactory::ZTStringFactory(QObject* parent)
    : QtAbstractEditorFactory<ZTStringPropertyManager>(parent)
    , m_pLineEditFactory(new QtLineEditFactory(this))
    , m_strButtonText(QStringLiteral("PushButton"))
{
}

ZTStringFactory::~ZTStringFactory() = default;

void ZTStringFactory::connectPropertyManager(ZTStringPropertyManager* manager)
{
    m_pLineEditFactory->addPropertyManager(manager);
}

void ZTStringFactory::disconnectPropertyManager(ZTStringPropertyManager* manager)
{
    m_pLineEditFactory->removePropertyManager(manager);
    if (manager == m_pManager) {
        m_pManager = nullptr;
        m_pProperty = nullptr;
    }
}

QWidget* ZTStringFactory::createEditor(ZTStringPropertyManager* manager, QtProperty* property, QWidget* parent)
{
    // Only rows of a manager bound to this factory (and so to the inner text
    // factory) get a button; the inner text editor itself is never shown.
    if (!manager || !property || !m_pLineEditFactory->propertyManagers().contains(manager))
        return nullptr;

    auto* container = new QWidget(parent);
    auto* button = new QPushButton(m_strButtonText, container);
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button);
    connect(button, SIGNAL(clicked()), this, SLOT(on_pbtn_clicked()));
    m_pManager = manager;
    m_pProperty = property;
    m_pEditor = container;
    return container;
}

void ZTStringFactory::on_pbtn_clicked()
{
    // A press can only come from a live editor, so the remembered row is the
    // row of the button.
    if (!m_pManager || !m_pProperty || !m_pEditor)
        return;
    emit valueChanged(m_pProperty, QVariant(m_pProperty->propertyName()));
}
