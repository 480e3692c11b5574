#pragma once
#include "CountedPtr.h"
#include "StaticInitializationHelper.h"

namespace GenTLCore {

class GenTLBranding;

// Holds the producer's branding once start-up has installed it.
class BrandingControl : public StaticInitializationHelper {
public:
    BrandingControl();
    // Releases the branding.
    ~BrandingControl() override;

    // Takes a reference to `branding` and releases the one held before.
    void Init(const CountedPtr<GenTLBranding>& branding) override;
    void Shutdown() override;

    // The installed branding, or null.
    GenTLBranding* Installed() const { return m_branding.Get(); }

private:
    CountedPtr<GenTLBranding> m_branding;
};

// The branding control singleton, made on first use; null when it cannot be
// made.
BrandingControl* GetBrandingControl();

// The branding in force: the installed one, else the default branding that
// answers empty texts, 0 and false. Never fails; ask anew for each use.
GenTLBranding& GetBranding();

}  // namespace GenTLCore
