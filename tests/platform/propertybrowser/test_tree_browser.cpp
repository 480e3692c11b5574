// The tree shows what the managers hold, gives the current row (and only
// that row) an editor, and writes edits back the way the device panel needs:
// typed numbers once when editing finishes, choices at once.
#include "PropertyBrowserTestSupport.h"
#include "qttreepropertybrowser.h"
#include "qtvariantproperty.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {
class TreeBrowser : public ::testing::Test, private WithTestApp
{
protected:
    TreeBrowser()
    {
        browser.setFactoryForManager(&manager, &factory);
        group = manager.addProperty(QtVariantPropertyManager::groupTypeId(), "Device");
        browser.addProperty(group);
        browser.show();
    }

    QtVariantProperty *add(int type, const QString &name)
    {
        QtVariantProperty *property = manager.addProperty(type, name);
        group->addSubProperty(property);
        return property;
    }
    QTreeWidget *tree() const { return browser.findChild<QTreeWidget *>(); }
    QTreeWidgetItem *row(const QString &name) const
    {
        const QList<QTreeWidgetItem *> rows = tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return rows.size() == 1 ? rows.first() : nullptr;
    }
    QWidget *editorOf(const QString &name) const { return tree()->itemWidget(row(name), 1); }
    template <class Editor> Editor *select(const QString &name)
    {
        tree()->setCurrentItem(row(name));
        return qobject_cast<Editor *>(editorOf(name));
    }

    QtVariantPropertyManager manager;
    QtVariantEditorFactory factory;
    QtTreePropertyBrowser browser;
    QtVariantProperty *group = nullptr;
};
} // namespace

TEST_F(TreeBrowser, ShowsRowsAsTheManagerChangesThem)
{
    QtVariantProperty *width = add(QVariant::Double, "Width");
    width->setAttribute("decimals", 0);
    width->setValue(640);
    width->setToolTip("Image width");
    ASSERT_NE(row("Width"), nullptr);
    EXPECT_EQ(row("Width")->parent(), row("Device"));
    EXPECT_EQ(row("Width")->text(1), "640");
    EXPECT_EQ(row("Width")->toolTip(0), "Image width");
    width->setValue(1024);
    EXPECT_EQ(row("Width")->text(1), "1024");

    ASSERT_EQ(browser.items(width).size(), 1);
    QtBrowserItem *item = browser.items(width).first();
    QtBrowserItem *top = browser.topLevelItems().first();
    EXPECT_EQ(item->parent(), top);
    EXPECT_TRUE(browser.isExpanded(top)); // rows come expanded
    browser.setExpanded(top, false);
    EXPECT_FALSE(row("Device")->isExpanded());
    browser.setItemVisible(item, false);
    EXPECT_FALSE(browser.isItemVisible(item));
    EXPECT_TRUE(row("Width")->isHidden());

    group->removeSubProperty(width);
    EXPECT_EQ(row("Width"), nullptr);
    EXPECT_TRUE(browser.items(width).isEmpty());
    browser.clear();
    EXPECT_EQ(tree()->topLevelItemCount(), 0);
    EXPECT_TRUE(browser.topLevelItems().isEmpty());
}

TEST_F(TreeBrowser, ShowsValuesSetWhileTheManagerIsSilent)
{
    QtVariantProperty *user = add(QVariant::String, "DeviceUserID");
    auto *edit = select<QLineEdit>("DeviceUserID");
    ASSERT_NE(edit, nullptr);
    {
        const QSignalBlocker blocker(&manager);
        user->setValue(QString("cut text"));
    }
    EXPECT_EQ(row("DeviceUserID")->text(1), "cut text");
    EXPECT_EQ(edit->text(), "cut text");
}

TEST_F(TreeBrowser, OnlyTheCurrentEnabledRowHasAnEditor)
{
    add(QVariant::Double, "Gain");
    QtVariantProperty *offset = add(QVariant::Double, "Offset");
    add(QVariant::Double, "SensorWidth")->setEnabled(false);

    QPointer<QWidget> gainEditor = select<QDoubleSpinBox>("Gain");
    ASSERT_FALSE(gainEditor.isNull());
    EXPECT_EQ(select<QWidget>("SensorWidth"), nullptr);

    ASSERT_NE(select<QDoubleSpinBox>("Offset"), nullptr);
    EXPECT_EQ(editorOf("Gain"), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gainEditor.isNull());

    offset->setEnabled(false);
    EXPECT_EQ(editorOf("Offset"), nullptr);
    offset->setEnabled(true);
    EXPECT_NE(qobject_cast<QDoubleSpinBox *>(editorOf("Offset")), nullptr);
    EXPECT_EQ(select<QWidget>("Device"), nullptr); // a group has no editor
}

TEST_F(TreeBrowser, TypedNumberIsWrittenOnceWhenEditingFinishes)
{
    QtVariantProperty *exposure = add(QVariant::Double, "ExposureTime");
    exposure->setAttribute("minimum", 0);
    exposure->setAttribute("maximum", 1000);
    exposure->setAttribute("decimals", 2);
    exposure->setValue(1.23456);
    QSignalSpy spy(&manager, &QtVariantPropertyManager::valueChanged);

    auto *spin = select<QDoubleSpinBox>("ExposureTime");
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->maximum(), 1000);
    // Finishing without typing writes nothing, though the box shows 1.23.
    QTest::keyClick(spin, Qt::Key_Return);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(exposure->value().toDouble(), 1.23456);

    spin->selectAll();
    QTest::keyClicks(spin, "427");
    EXPECT_EQ(spy.count(), 0);
    QTest::keyClick(spin, Qt::Key_Return);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(exposure->value().toDouble(), 427.0);
    QTest::keyClick(spin, Qt::Key_Return); // and again, or the focus leaving
    EXPECT_EQ(spy.count(), 1);

    // An arrow step is written at once.
    exposure->setAttribute("singleStep", 10);
    QTest::keyClick(spin, Qt::Key_Up);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(exposure->value().toDouble(), 437.0);

    // The camera's read-back comes into the open editor.
    exposure->setValue(425.5);
    EXPECT_EQ(spin->value(), 425.5);
}

TEST_F(TreeBrowser, TypedTextIsReadWholeInTheUsersLocale)
{
    QtVariantProperty *gain = add(QVariant::Double, "Gain");
    gain->setAttribute("decimals", 1);
    QSignalSpy refused(&factory, &QtVariantEditorFactory::numberTextRefused);
    const struct {
        QLocale::Language language;
        const char *typed;
        double value; // the row's afterwards
        bool refused;
    } cases[] = {
        {QLocale::C, "1e1", 10.0, false},
        {QLocale::C, "2.345", 2.345, false}, // as typed, not as the box rounds it
        {QLocale::C, "1,5", 2.345, true},    // no group separator anywhere
        {QLocale::English, "1,500", 2.345, true},
        {QLocale::C, "12abc", 2.345, true},
        {QLocale::C, "nan", 2.345, true},
        {QLocale::German, "1,5", 1.5, false},
        {QLocale::German, "1.500", 1.5, true},
    };
    const QLocale old;
    for (const auto &c : cases) {
        QLocale::setDefault(QLocale(c.language));
        tree()->setCurrentItem(row("Device")); // the next editor reads in this locale
        auto *spin = select<QDoubleSpinBox>("Gain");
        ASSERT_NE(spin, nullptr);
        const int before = refused.count();
        spin->selectAll();
        QTest::keyClicks(spin, c.typed);
        QTest::keyClick(spin, Qt::Key_Return);
        EXPECT_EQ(gain->value().toDouble(), c.value) << c.typed;
        EXPECT_EQ(refused.count() - before, c.refused ? 1 : 0) << c.typed;
        EXPECT_EQ(spin->text(), gain->valueText()) << c.typed; // the row's value again
    }
    // An arrow after a text that is no number takes no number from it.
    QLocale::setDefault(QLocale::c());
    tree()->setCurrentItem(row("Device"));
    auto *spin = select<QDoubleSpinBox>("Gain");
    spin->selectAll();
    QTest::keyClicks(spin, "1,5");
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(gain->value().toDouble(), 1.5);
    QLocale::setDefault(old);
    EXPECT_EQ(refused.first().at(1).toString(), "1,5");
}

TEST_F(TreeBrowser, ChoicesAreWrittenAtOnce)
{
    QtVariantProperty *reverse = add(QVariant::Bool, "ReverseX");
    QtVariantProperty *mode = add(QtVariantPropertyManager::enumTypeId(), "TriggerMode");
    mode->setAttribute("enumNames", QStringList{"Off", "On"});
    QSignalSpy spy(&manager, &QtVariantPropertyManager::valueChanged);

    auto *check = select<QCheckBox>("ReverseX");
    ASSERT_NE(check, nullptr);
    QTest::mouseClick(check, Qt::LeftButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_TRUE(reverse->value().toBool());

    auto *combo = select<QComboBox>("TriggerMode");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 2);
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(mode->value().toInt(), 1);
    EXPECT_EQ(row("TriggerMode")->text(1), "On");
}

TEST_F(TreeBrowser, SurvivesItsManagerAndFactoryGoingFirst)
{
    add(QVariant::Double, "Gain");
    auto *other = new QtVariantPropertyManager;
    QtVariantProperty *temperature = other->addProperty(QVariant::Double, "DeviceTemperature");
    group->addSubProperty(temperature);
    auto *otherFactory = new QtVariantEditorFactory;
    browser.setFactoryForManager(other, otherFactory);
    ASSERT_NE(select<QDoubleSpinBox>("DeviceTemperature"), nullptr);

    delete otherFactory;
    temperature->setValue(40.0); // the open editor's factory is gone
    EXPECT_EQ(row("DeviceTemperature")->text(1), "40.00");
    delete other;
    EXPECT_EQ(row("DeviceTemperature"), nullptr);
    EXPECT_EQ(group->subProperties().size(), 1);
    EXPECT_NE(select<QDoubleSpinBox>("Gain"), nullptr);
}

TEST_F(TreeBrowser, AnotherFactoryForTheManagerTakesOver)
{
    QtVariantEditorFactory second;
    EXPECT_TRUE(factory.propertyManagers().contains(&manager));
    browser.setFactoryForManager(&manager, &second);
    EXPECT_FALSE(factory.propertyManagers().contains(&manager));
    EXPECT_TRUE(second.propertyManagers().contains(&manager));
    QtVariantProperty *gain = add(QVariant::Double, "Gain");
    EXPECT_EQ(second.propertyManager(gain), &manager);
    EXPECT_EQ(factory.propertyManager(gain), nullptr);
}
