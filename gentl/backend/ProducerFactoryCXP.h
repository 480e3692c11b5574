#pragma once
#include "CountedPtr.h"

namespace GenTLCore {

class GenTLBranding;
class GenTLLibrary;
struct ProducerFactoryTable;

namespace CoaXPress {

// The CoaXPress producer's factory table: {CreateBranding, CreateLibrary,
// no extra initialisation}. Returns `table`.
ProducerFactoryTable& InitFactoryTable(ProducerFactoryTable& table);
// A new GenTLBrandingCXP, owned by the result alone.
CountedPtr<GenTLBranding> CreateBranding();
// A new GenTLLibraryCXP, owned by the result alone.
CountedPtr<GenTLLibrary> CreateLibrary();

}  // namespace CoaXPress
}  // namespace GenTLCore
