#include "PropertyBrowserTestSupport.h"
#include "qttreepropertybrowser.h"
#include "qtvariantproperty.h"

#include <gtest/gtest.h>

TEST(TreeBrowser, ShowsAddedProperty)
{
    testApp();
    QtVariantPropertyManager manager;
    QtTreePropertyBrowser browser;
    QtProperty *group = manager.addProperty(QtVariantPropertyManager::groupTypeId(), "Group");
    QtBrowserItem *item = browser.addProperty(group);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(browser.topLevelItems().size(), 1);
}
