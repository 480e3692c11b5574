// The managers keep values and attributes: change signals only for real
// changes, bounds that hold, entry lists that start over, and input of the
// wrong kind ignored.
#include "PropertyBrowserTestSupport.h"
#include "qtpropertymanager.h"
#include "qtvariantproperty.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace {
const int kDouble = QVariant::Double;
const int kBool = QVariant::Bool;
const int kString = QVariant::String;

QtVariantProperty *addEnum(QtVariantPropertyManager &manager, const QStringList &names)
{
    QtVariantProperty *property = manager.addProperty(QtVariantPropertyManager::enumTypeId(), "E");
    property->setAttribute("enumNames", names);
    return property;
}
} // namespace

TEST(VariantManager, AddsOnlyItsKinds)
{
    QtVariantPropertyManager manager;
    for (int type : {kDouble, kBool, kString, QtVariantPropertyManager::enumTypeId(),
                     QtVariantPropertyManager::groupTypeId()}) {
        QtVariantProperty *property = manager.addProperty(type, "P");
        ASSERT_NE(property, nullptr) << type;
        EXPECT_EQ(property->propertyType(), type);
        EXPECT_EQ(property->propertyName(), "P");
    }
    EXPECT_EQ(manager.addProperty(QVariant::Int, "I"), nullptr);
    EXPECT_EQ(manager.addProperty(QVariant::Color, "C"), nullptr);
}

TEST(VariantManager, SignalsOnlyRealChanges)
{
    struct Case { int type; QVariant first; QVariant second; };
    const QList<Case> cases = {
        {kDouble, 2.5, 3.0},
        {kBool, true, false},
        {kString, QString("a"), QString("b")},
        {-1, 1, 2}, // enumeration over three names
    };
    for (const Case &c : cases) {
        QtVariantPropertyManager manager;
        QtVariantProperty *property = c.type < 0 ? addEnum(manager, {"x", "y", "z"})
                                                 : manager.addProperty(c.type, "P");
        QSignalSpy spy(&manager, &QtVariantPropertyManager::valueChanged);
        property->setValue(c.first);
        property->setValue(c.first);
        property->setValue(c.second);
        property->setValue(c.second);
        ASSERT_EQ(spy.count(), 2) << c.type;
        EXPECT_EQ(spy.at(0).at(1), c.first);
        EXPECT_EQ(spy.at(1).at(1), c.second);
        EXPECT_EQ(property->value(), c.second);
    }

    QtStringPropertyManager strings;
    QtProperty *text = strings.addProperty("S");
    QSignalSpy spy(&strings, &QtStringPropertyManager::valueChanged);
    strings.setValue(text, "{Command}");
    strings.setValue(text, "{Command}");
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(text->valueText(), "{Command}");
}

TEST(VariantManager, DoubleStaysWithinItsBounds)
{
    QtVariantPropertyManager manager;
    QtVariantProperty *rate = manager.addProperty(kDouble, "Rate");
    rate->setAttribute("minimum", qint64(0));
    rate->setAttribute("maximum", 10.0);
    QSignalSpy spy(&manager, &QtVariantPropertyManager::valueChanged);

    rate->setValue(15.0);
    EXPECT_EQ(rate->value().toDouble(), 10.0);
    rate->setValue(-3);
    EXPECT_EQ(rate->value().toDouble(), 0.0);
    rate->setValue(8.0);
    EXPECT_EQ(spy.count(), 3);

    // Bounds that move past the value take the value with them.
    rate->setAttribute("maximum", 5.0);
    EXPECT_EQ(rate->value().toDouble(), 5.0);
    EXPECT_EQ(spy.count(), 4);
    rate->setAttribute("minimum", 7.0);
    EXPECT_EQ(rate->value().toDouble(), 7.0);
    EXPECT_EQ(rate->attributeValue("maximum").toDouble(), 7.0);
    EXPECT_EQ(spy.count(), 5);
    // Bounds that leave the value inside keep it, without a change signal.
    rate->setAttribute("maximum", 100.0);
    EXPECT_EQ(rate->value().toDouble(), 7.0);
    EXPECT_EQ(spy.count(), 5);

    // A row without bounds takes any value.
    QtVariantProperty *free = manager.addProperty(kDouble, "Free");
    free->setValue(1e12);
    EXPECT_EQ(free->value().toDouble(), 1e12);
}

TEST(VariantManager, NewEntryNamesStartAtTheFirst)
{
    QtVariantPropertyManager manager;
    QtVariantProperty *format = addEnum(manager, {"Mono8", "Mono10", "Mono12"});
    EXPECT_EQ(format->value().toInt(), 0);
    format->setValue(2);
    EXPECT_EQ(format->valueText(), "Mono12");

    QSignalSpy values(&manager, &QtVariantPropertyManager::valueChanged);
    QSignalSpy attributes(&manager, &QtVariantPropertyManager::attributeChanged);
    format->setAttribute("enumNames", QStringList{"Mono8", "Mono10", "Mono12"});
    EXPECT_EQ(attributes.count(), 0);
    EXPECT_EQ(format->value().toInt(), 2);

    format->setAttribute("enumNames", QStringList{"Mono8", "Mono16"});
    EXPECT_EQ(attributes.count(), 1);
    EXPECT_EQ(format->value().toInt(), 0);
    ASSERT_EQ(values.count(), 1);
    EXPECT_EQ(values.at(0).at(1).toInt(), 0);

    // An index outside the entries is refused.
    format->setValue(2);
    format->setValue(-1);
    EXPECT_EQ(format->value().toInt(), 0);
    EXPECT_EQ(values.count(), 1);
}

TEST(VariantManager, IgnoresUnknownAndWrongTypedInput)
{
    struct Attribute { int type; const char *name; QVariant value; };
    const QList<Attribute> attributes = {
        {kDouble, "minimum", QString("5")},
        {kDouble, "maximum", QStringList{"5"}},
        {kDouble, "singleStep", 0},
        {kDouble, "decimals", -1},
        {kDouble, "enumNames", QStringList{"a"}},
        {kDouble, "colour", 1},
        {-1, "enumNames", QString("a")},
        {-1, "minimum", 1},
        {kBool, "minimum", 1},
        {kString, "maximum", 2},
    };
    for (const Attribute &a : attributes) {
        QtVariantPropertyManager manager;
        QtVariantProperty *property = a.type < 0 ? addEnum(manager, {"x", "y"}) : manager.addProperty(a.type, "P");
        const QVariant before = property->attributeValue(a.name);
        QSignalSpy spy(&manager, &QtVariantPropertyManager::attributeChanged);
        property->setAttribute(a.name, a.value);
        EXPECT_EQ(spy.count(), 0) << a.name;
        EXPECT_EQ(property->attributeValue(a.name), before) << a.name;
    }

    struct Value { int type; QVariant value; };
    const QList<Value> values = {
        {kDouble, QString("3")},
        {kDouble, std::numeric_limits<double>::quiet_NaN()},
        {kBool, QString("true")},
        {kString, 5},
        {-1, QString("1")},
        {QtVariantPropertyManager::groupTypeId(), 1},
    };
    for (const Value &v : values) {
        QtVariantPropertyManager manager;
        QtVariantProperty *property = v.type < 0 ? addEnum(manager, {"x", "y"}) : manager.addProperty(v.type, "P");
        const QVariant before = property->value();
        QSignalSpy spy(&manager, &QtVariantPropertyManager::valueChanged);
        property->setValue(v.value);
        EXPECT_EQ(spy.count(), 0) << v.type;
        EXPECT_EQ(property->value(), before) << v.type;
    }
}

TEST(VariantManager, ValueTexts)
{
    QtVariantPropertyManager manager;
    QtVariantProperty *exposure = manager.addProperty(kDouble, "ExposureTime");
    exposure->setAttribute("decimals", 3);
    exposure->setValue(12.34567);
    EXPECT_EQ(exposure->valueText(), "12.346");
    EXPECT_EQ(exposure->value().toDouble(), 12.34567);
    QtVariantProperty *flag = manager.addProperty(kBool, "Flag");
    flag->setValue(1);
    EXPECT_EQ(flag->valueText(), "True");
    QtVariantProperty *group = manager.addProperty(QtVariantPropertyManager::groupTypeId(), "Group");
    EXPECT_EQ(group->valueText(), "");
    EXPECT_FALSE(group->value().isValid());
}
