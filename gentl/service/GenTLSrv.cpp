#include "GenTLSrv.h"

namespace GenTLCore {

GenTLSrv::~GenTLSrv() = default;

}  // namespace GenTLCore
