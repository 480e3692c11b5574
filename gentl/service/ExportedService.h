#pragma once

namespace GenTLCore {

class GenTLSrv;

// The service that the exported functions call: set once while the producer
// loads, before a consumer can call; null when it could not be made.
GenTLSrv* ExportedService();
void SetExportedService(GenTLSrv* service);

}  // namespace GenTLCore
