#pragma once
#include <CvnProducer.h>

namespace GenTLCore {

// The producer's fixed product identifier, handed out by CvnInit.
class ProductIdentifier {
public:
    static const CVN_GUID& Value();
    // Copies the identifier into `out` and returns it; null writes nothing.
    static CVN_GUID* CopyTo(CVN_GUID* out);
};

}  // namespace GenTLCore
