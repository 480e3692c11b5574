// The factory table of a producer without a back end: no branding and no
// library factory, so no service is made; GCInitLib answers -1001 and every
// other export -1002.
#include "ProducerLoad.h"
#include "ProducerStartup.h"

namespace GenTLCore {

const ProducerFactoryTable& ProducerFactories()
{
    static const ProducerFactoryTable table{};
    return table;
}

void ProducerLoadSteps() {}

}  // namespace GenTLCore
