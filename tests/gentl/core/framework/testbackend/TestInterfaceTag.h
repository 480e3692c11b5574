#pragma once
#include "InterfaceTag.h"

#include <string>

namespace GenTLTest {

class TestInterfaceTag : public GenTLCore::InterfaceTag {
public:
    explicit TestInterfaceTag(std::string id) : m_id(std::move(id)) {}
    std::string GetID() const override { return m_id; }
    std::string GetDisplayName() const override { return "Test board " + m_id; }
    bool IsSame(const GenTLCore::InterfaceTag& other) const override { return other.GetID() == m_id; }

private:
    std::string m_id;
};

}  // namespace GenTLTest
