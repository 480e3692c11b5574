#pragma once
#include "InterfaceTag.h"

#include <cstdint>
#include <string>

namespace GenTLCore::PEXCore {

// One frame-grabber board: the descriptor of its system type, the name the
// imaging library reports for the installed system, and the board number
// counted over all installed systems of that type.
class InterfaceTagPEX : public InterfaceTag {
public:
    InterfaceTagPEX(std::wstring descriptor, std::wstring name, int64_t number);
    ~InterfaceTagPEX() override;

    // Name followed by the board number in decimal ("TarsilCXP0").
    std::string GetID() const override;
    std::string GetDisplayName() const override;
    // Same descriptor (case-sensitive) and same board number; the name
    // takes no part.
    bool IsSame(const InterfaceTag& other) const override;

    const std::wstring& Descriptor() const { return m_descriptor; }
    const std::wstring& Name() const { return m_name; }
    int64_t Number() const { return m_number; }

private:
    std::wstring m_descriptor;
    std::wstring m_name;
    int64_t m_number;
};

}  // namespace GenTLCore::PEXCore
