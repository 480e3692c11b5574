// The shipped producer as a GenTL consumer sees it: loaded with dlopen, its
// exports resolved by name. The imaging-library stand-in is shared with the
// test (one libplatform_pex.so), so tests script it and watch its calls.
#pragma once
#include <GenTL.h>
#include <platform/pex/Pex.h>

#include <string>
#include <vector>

class CtiProducer {
public:
    // The built Corvane.CoaXPress.cti.
    static std::string ShippedFile();

    // Scripts the stand-in (null or "" = its default installation), then
    // loads `file`.
    explicit CtiProducer(const char* simConfig, const std::string& file = ShippedFile());
    ~CtiProducer();
    CtiProducer(const CtiProducer&) = delete;
    CtiProducer& operator=(const CtiProducer&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    // Unloads now (without GCCloseLib unless the test called it).
    void Unload();
    void* Symbol(const char* name);
    template <class F>
    F Fn(const char* name)
    {
        return reinterpret_cast<F>(Symbol(name));
    }

    // GCInitLib, TLOpen, TLUpdateInterfaceList; 0 or the first failure.
    GC_ERROR OpenSystem();
    std::vector<std::string> InterfaceIds();
    // Opens the interface and updates its device list.
    GC_ERROR OpenInterface(const std::string& id, IF_HANDLE* handle);
    std::vector<std::string> DeviceIds(IF_HANDLE interface);
    // The first interface's first device opened with `access`.
    GC_ERROR OpenFirstDevice(DEVICE_ACCESS_FLAGS access, DEV_HANDLE* device);
    // The remote port of the first device opened with `access`.
    GC_ERROR OpenFirstRemotePort(DEVICE_ACCESS_FLAGS access, PORT_HANDLE* port);
    std::string DeviceInfoText(IF_HANDLE interface, const std::string& id, DEVICE_INFO_CMD command);
    // {code, text} of GCGetLastError.
    std::pair<GC_ERROR, std::string> LastError();
    // Closes the system and the library.
    void Close();
    // The digitizer of the stand-in's last digitizer control (the call log
    // must be on), 0 when none.
    static PEX_ID LastControlledDigitizer();

    TL_HANDLE system = nullptr;
    IF_HANDLE firstInterface = nullptr;

private:
    void* m_module = nullptr;
};
