#pragma once
#include <string>

namespace GenTLCore {

// Identity of one discovered interface, made by the back end's interface
// discovery and held through CountedPtr.
class InterfaceTag {
public:
    virtual ~InterfaceTag();
    // UTF-8; an empty identity is never listed.
    virtual std::string GetID() const = 0;
    virtual std::string GetDisplayName() const = 0;
    // True when both name the same physical interface.
    virtual bool IsSame(const InterfaceTag& other) const = 0;
};

}  // namespace GenTLCore
