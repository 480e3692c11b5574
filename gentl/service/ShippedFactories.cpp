// The factory table of the shipped producer. Its back end is not part of the
// producer yet: without a branding and a library factory no service is made,
// so GCInitLib answers -1001 and every other export -1002.
#include "ProducerLoad.h"
#include "ProducerStartup.h"

namespace GenTLCore {

const ProducerFactoryTable& ProducerFactories()
{
    static const ProducerFactoryTable table{};
    return table;
}

}  // namespace GenTLCore
