#pragma once

#include "propertybrowser/QtAbstractEditorFactory.h"
#include "propertybrowser/QtAbstractPropertyBrowser.h"
#include "propertybrowser/QtAbstractPropertyManager.h"
#include "propertybrowser/QtBrowserItem.h"
#include "propertybrowser/QtProperty.h"
