#include "InterfaceTagPEX.h"

#include "CPEXString.h"

namespace GenTLCore::PEXCore {

InterfaceTagPEX::InterfaceTagPEX(std::wstring descriptor, std::wstring name, int64_t number)
    : m_descriptor(std::move(descriptor)), m_name(std::move(name)), m_number(number)
{
}

InterfaceTagPEX::~InterfaceTagPEX() = default;

std::string InterfaceTagPEX::GetID() const { return WideToUtf8(m_name) + std::to_string(m_number); }

std::string InterfaceTagPEX::GetDisplayName() const { return WideToUtf8(m_name); }

bool InterfaceTagPEX::IsSame(const InterfaceTag& other) const
{
    const auto* tag = dynamic_cast<const InterfaceTagPEX*>(&other);
    return tag && tag->m_descriptor == m_descriptor && tag->m_number == m_number;
}

}  // namespace GenTLCore::PEXCore
