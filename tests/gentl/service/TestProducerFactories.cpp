// The factory table of producers built on the test back end.
#include "ProducerLoad.h"
#include "ProducerStartup.h"
#include "TestLibrary.h"
#include "TestProducerBranding.h"

namespace GenTLCore {

namespace {

CountedPtr<GenTLBranding> makeBranding() { return CountedPtr<GenTLBranding>(new GenTLTest::TestProducerBranding()); }

CountedPtr<GenTLLibrary> makeLibrary() { return CountedPtr<GenTLLibrary>(new GenTLTest::TestLibrary()); }

}  // namespace

const ProducerFactoryTable& ProducerFactories()
{
    static const ProducerFactoryTable table{&makeBranding, &makeLibrary, nullptr};
    return table;
}

void ProducerLoadSteps() {}

}  // namespace GenTLCore
