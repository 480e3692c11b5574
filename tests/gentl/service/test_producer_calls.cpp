#include "ProducerFixture.h"
