// A command factory and string manager made the way the program makes its
// own: a string manager with a prefix and suffix per property, and a factory
// whose editor is a push button, built over the inner line-edit factory.
#include "PropertyBrowserTestSupport.h"
#include "qteditorfactory.h"
#include "qtpropertymanager.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QMap>
#include <QPushButton>

class CommandManager : public QtStringPropertyManager
{
    Q_OBJECT
public:
    using QtStringPropertyManager::QtStringPropertyManager;

protected:
    QString valueText(const QtProperty *property) const override
    {
        const auto affix = m_affixes.value(property);
        return affix.first + QtStringPropertyManager::valueText(property) + affix.second;
    }
    void initializeProperty(QtProperty *property) override
    {
        m_affixes.insert(property, {});
        QtStringPropertyManager::initializeProperty(property);
    }
    void uninitializeProperty(QtProperty *property) override
    {
        m_affixes.remove(property);
        QtStringPropertyManager::uninitializeProperty(property);
    }

private:
    QMap<const QtProperty *, QPair<QString, QString>> m_affixes;
};

class CommandFactory : public QtAbstractEditorFactory<CommandManager>
{
    Q_OBJECT
public:
    explicit CommandFactory(QObject *parent = nullptr)
        : QtAbstractEditorFactory<CommandManager>(parent), m_lineEditFactory(new QtLineEditFactory(this))
    {
    }

signals:
    void valueChanged(QtProperty *property, const QVariant &value);

protected:
    void connectPropertyManager(CommandManager *manager) override { m_lineEditFactory->addPropertyManager(manager); }
    void disconnectPropertyManager(CommandManager *manager) override { m_lineEditFactory->removePropertyManager(manager); }
    QWidget *createEditor(CommandManager *, QtProperty *property, QWidget *parent) override
    {
        QWidget *inner = m_lineEditFactory->createEditor(property, parent);
        if (!inner)
            return nullptr;
        delete inner;
        auto *box = new QWidget(parent);
        auto *button = new QPushButton(QStringLiteral("PushButton"), box);
        auto *layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, property] {
            emit valueChanged(property, property->propertyName());
        });
        return box;
    }

private:
    QtLineEditFactory *m_lineEditFactory;
};

TEST(Subclassing, CommandRowShowsItsText)
{
    testApp();
    CommandManager manager;
    QtProperty *command = manager.addProperty("AcquisitionStart");
    manager.setValue(command, "{Command}");
    EXPECT_EQ(command->valueText(), "{Command}");
}

#include "test_subclassing.moc"
