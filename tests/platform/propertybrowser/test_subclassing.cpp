// A command factory and string manager made the way the program makes its
// own: a string manager with a prefix and suffix per property, and a factory
// whose editor is a push button, built over the inner line-edit factory.
#include "PropertyBrowserTestSupport.h"
#include "qteditorfactory.h"
#include "qtpropertymanager.h"
#include "qttreepropertybrowser.h"
#include "qtvariantproperty.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QMap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

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

TEST(Subclassing, CommandRowRunsFromItsButton)
{
    testApp();
    QtVariantPropertyManager variants;
    CommandManager commands;
    CommandFactory factory;
    QtTreePropertyBrowser browser;
    QtProperty *group = variants.addProperty(QtVariantPropertyManager::groupTypeId(), "AcquisitionControl");
    browser.addProperty(group);
    QtProperty *start = commands.addProperty("AcquisitionStart");
    commands.setValue(start, "{Command}");
    group->addSubProperty(start);
    browser.setFactoryForManager(&commands, &factory);
    QSignalSpy spy(&factory, &CommandFactory::valueChanged);

    auto *tree = browser.findChild<QTreeWidget *>();
    QTreeWidgetItem *row = tree->topLevelItem(0)->child(0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(0), "AcquisitionStart");
    EXPECT_EQ(row->text(1), "{Command}");

    tree->setCurrentItem(row);
    QWidget *editor = tree->itemWidget(row, 1);
    ASSERT_NE(editor, nullptr);
    auto *button = editor->findChild<QPushButton *>();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "PushButton");
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<QtProperty *>(), start);
    EXPECT_EQ(spy.at(0).at(1).toString(), "AcquisitionStart");

    // Once the manager is served no more, its rows get no editor.
    tree->setCurrentItem(tree->topLevelItem(0));
    factory.removePropertyManager(&commands);
    tree->setCurrentItem(row);
    EXPECT_EQ(tree->itemWidget(row, 1), nullptr);
}

#include "test_subclassing.moc"
