#include "BrandingControl.h"

#include "DefaultBranding.h"

#include <new>

namespace GenTLCore {

BrandingControl::BrandingControl() = default;

BrandingControl::~BrandingControl() = default;

void BrandingControl::Init(const CountedPtr<GenTLBranding>& branding) { m_branding = branding; }

void BrandingControl::Shutdown() {}

BrandingControl* GetBrandingControl()
{
    try {
        static BrandingControl* const control = new BrandingControl();
        return control;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

GenTLBranding& GetBranding()
{
    if (BrandingControl* control = GetBrandingControl()) {
        if (GenTLBranding* installed = control->Installed())
            return *installed;
    }
    static DefaultBranding fallback;
    return fallback;
}

}  // namespace GenTLCore
