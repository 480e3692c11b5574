#pragma once
#include <GenTL.h>

#include <new>

namespace GenTLCore {

class GenTLSrv;

// The service that the exported functions call: set once while the producer
// loads, before a consumer can call; null when it could not be made.
GenTLSrv* ExportedService();
void SetExportedService(GenTLSrv* service);

// Stores -1001 "Internal error: ..." as the calling thread's last error (if
// it can) and returns -1001.
GC_ERROR UnexpectedExceptionResult() noexcept;
// The same for memory that ran out: -1021 "Internal error: out of memory ...".
GC_ERROR OutOfMemoryResult() noexcept;

// The barrier of every exported function: no C++ exception leaves `call`.
// Running out of memory answers -1021, any other exception -1001, each with
// its text as the last error.
template <class Call>
GC_ERROR GuardedCall(Call&& call) noexcept
{
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return OutOfMemoryResult();
    } catch (...) {
        return UnexpectedExceptionResult();
    }
}

}  // namespace GenTLCore
