#pragma once
#include <string>

namespace GenTLCore {

// Identity and description of one discovered device, made by the back end's
// device discovery and held through CountedPtr by the local and the remote
// device.
class DeviceTag {
public:
    virtual ~DeviceTag();
    // UTF-8; an empty identity is never listed.
    virtual std::string GetID() const = 0;
    virtual bool IsSame(const DeviceTag& other) const = 0;
    virtual std::string GetVendorName() const = 0;
    virtual std::string GetModelName() const = 0;
    virtual std::string GetVersion() const = 0;
    virtual std::string GetSerialNumber() const = 0;
    virtual bool HasUserDefinedName() const = 0;
    virtual std::string GetUserDefinedName() const = 0;
    virtual std::string GetManufacturerInfo() const = 0;
    // The device cannot be opened at all.
    virtual bool IsNoAccess() const = 0;
    // The device is free (false: another client uses it).
    virtual bool IsReadWrite() const = 0;
    // Takes over what a rediscovery reported.
    virtual void UpdateFrom(const DeviceTag& fresh) = 0;

    // The framework's names for the two access questions.
    bool IsInaccessible() const { return IsNoAccess(); }
    bool IsAvailable() const { return IsReadWrite(); }
};

}  // namespace GenTLCore
