// The shipped producer's factory table and its own load steps.
#include "ProducerFactoryCXP.h"

#include "CvnServicesBinding.h"
#include "GenTLBrandingCXP.h"
#include "GenTLLibraryCXP.h"
#include "PexErrorTracker.h"
#include "ProducerLoad.h"
#include "ProducerStartup.h"
#include "RegisterDescriptions.h"

#include <new>

namespace GenTLCore {

namespace CoaXPress {

namespace {

CountedPtr<GenTLBranding> MakeBrandingCXP() { return CountedPtr<GenTLBranding>(new GenTLBrandingCXP()); }

CountedPtr<GenTLLibrary> MakeLibraryCXP() { return CountedPtr<GenTLLibrary>(new GenTLLibraryCXP()); }

}  // namespace

ProducerFactoryTable& InitFactoryTable(ProducerFactoryTable& table)
{
    table.createBranding = &CreateBranding;
    table.createLibrary = &CreateLibrary;
    table.createExtraInit = nullptr;
    return table;
}

CountedPtr<GenTLBranding> CreateBranding() { return MakeBrandingCXP(); }

CountedPtr<GenTLLibrary> CreateLibrary() { return MakeLibraryCXP(); }

}  // namespace CoaXPress

const ProducerFactoryTable& ProducerFactories()
{
    static ProducerFactoryTable table;
    return CoaXPress::InitFactoryTable(table);
}

void ProducerLoadSteps()
{
    // The description texts, made now rather than at a consumer's first
    // call.
    RegisterDescriptions::Instance();
    // The services library, loaded while the loader runs the load; whether
    // it was found is told at GCInitLib.
    try {
        PEXCore::CvnServicesBinding::Bind();
    } catch (const std::bad_alloc&) {
    }
    // The library-error tracker is made later, on first use; its hook into
    // the imaging library must not outlive this file.
    ProducerLoad::AtUnload(&PEXCore::PexErrorTracker::Teardown);
}

}  // namespace GenTLCore
