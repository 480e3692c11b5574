#pragma once

namespace GenTLCore {

class GenTLBranding;
class GenTLSrv;
class GenTLSrvLogged;

// True when the logging variable that the branding names exists in the
// process environment at this moment, whatever its value (the empty value
// included). A branding that names no variable never traces.
bool IsCallTracingRequested(const GenTLBranding& branding);

// The load's choice between the direct service and the call-tracing service
// in front of it, made once when the service is created. When tracing is
// requested, answers a new GenTLSrvLogged around `direct`: the caller owns
// it, hands it to the exports and deletes it before `direct`. Otherwise
// answers null and the exports call `direct` itself, so that a producer
// without the variable has nothing between the exports and the direct
// service. A refused allocation passes on as std::bad_alloc.
GenTLSrvLogged* WrapForTracing(GenTLSrv& direct, const GenTLBranding& branding);

}  // namespace GenTLCore
