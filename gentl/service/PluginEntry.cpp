// Load and unload functions of the plug-in file.
#include "ProducerLoad.h"

namespace {

__attribute__((constructor)) void pluginLoaded()
{
    GenTLCore::ProducerLoad::Load(GenTLCore::ProducerFactories());
    GenTLCore::ProducerLoadSteps();
}

__attribute__((destructor)) void pluginUnloading() { GenTLCore::ProducerLoad::Unload(); }

}  // namespace
