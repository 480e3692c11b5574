#include "PropertyBrowserTestSupport.h"
#include "qtvariantproperty.h"

#include <gtest/gtest.h>

TEST(VariantManager, AddsOnlyItsKinds)
{
    QtVariantPropertyManager manager;
    EXPECT_NE(manager.addProperty(QVariant::Double, "d"), nullptr);
    EXPECT_NE(manager.addProperty(QtVariantPropertyManager::groupTypeId(), "g"), nullptr);
    EXPECT_EQ(manager.addProperty(QVariant::Int, "i"), nullptr);
}
