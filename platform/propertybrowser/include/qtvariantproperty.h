#pragma once

#include "qtpropertybrowser.h"
#include "propertybrowser/QtVariantEditorFactory.h"
#include "propertybrowser/QtVariantProperty.h"
#include "propertybrowser/QtVariantPropertyManager.h"
