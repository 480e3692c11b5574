#pragma once

#include "qtpropertybrowser.h"
#include "propertybrowser/QtStringPropertyManager.h"
