#include "GenTLLibraryPEX.h"

#include "CvnServicesBinding.h"
#include "PexDriverFolder.h"
#include "PexErrorTracker.h"
#include "ReportError.h"

#include <GenTL.h>

namespace GenTLCore::PEXCore {

GenTLLibraryPEX::GenTLLibraryPEX() : m_platformWord(PexDriverFolder::kPlatformWord)
{
    PexDriverFolder::AppendToPath(m_platformWord);
}

GenTLLibraryPEX::~GenTLLibraryPEX() = default;

bool GenTLLibraryPEX::InitTL()
{
    m_servicesHandle = CvnServicesBinding::Open();
    PexErrorTracker::Instance();
    if (m_servicesHandle == 0 && !CvnServicesBinding::Available())
        ReportError(GC_ERR_ERROR, std::string("InitLib: the services library ") + CvnServicesBinding::kLibraryName +
                                      " cannot be loaded.");
    return m_servicesHandle != 0;
}

bool GenTLLibraryPEX::CloseTL()
{
    if (m_servicesHandle != 0) {
        PexErrorTracker::Teardown();
        CvnServicesBinding::Close();
    }
    return true;
}

}  // namespace GenTLCore::PEXCore
