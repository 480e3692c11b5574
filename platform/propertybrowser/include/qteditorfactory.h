#pragma once

#include "qtpropertymanager.h"
#include "propertybrowser/QtFontEditWidget.h"
#include "propertybrowser/QtLineEditFactory.h"
