#include "RegisterDescriptions.h"

#include "DataStreamDescription.h"
#include "DescriptionFormat.h"
#include "InterfaceDescription.h"
#include "LocalDeviceDescription.h"
#include "Sha1.h"
#include "SystemDescription.h"

namespace GenTLCore {

namespace {

// Build the texts while the producer loads, before any GenTL call can ask.
const RegisterDescriptions& g_builtAtLoad = RegisterDescriptions::Instance();

} // namespace

const RegisterDescriptions& RegisterDescriptions::Instance()
{
    static const RegisterDescriptions instance;
    return instance;
}

RegisterDescriptions::RegisterDescriptions()
    : m_systemFileName(DescriptionFileName("System")),
      m_interfaceFileName(DescriptionFileName("Interface")),
      m_localDeviceFileName(DescriptionFileName("Localdevice")),
      m_dataStreamFileName(DescriptionFileName("Datastream")),
      m_systemXml(BuildSystemXml()),
      m_interfaceXml(BuildInterfaceXml()),
      m_localDeviceXml(BuildLocalDeviceXml()),
      m_dataStreamXml(BuildDataStreamXml()),
      m_systemSha1(Sha1::Digest(m_systemXml)),
      m_interfaceSha1(Sha1::Digest(m_interfaceXml)),
      m_localDeviceSha1(Sha1::Digest(m_localDeviceXml)),
      m_dataStreamSha1(Sha1::Digest(m_dataStreamXml))
{
    (void)g_builtAtLoad;
}

} // namespace GenTLCore
