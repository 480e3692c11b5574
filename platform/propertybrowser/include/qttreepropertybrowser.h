#pragma once

#include "qtpropertybrowser.h"
#include "propertybrowser/QtTreePropertyBrowser.h"
