#pragma once
#include "TestBranding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace GenTLTest {

// Installs a fresh test branding for every test, before the test's own
// members are made.
class FrameworkTest : public ::testing::Test {
protected:
    FrameworkTest() : branding(TestBranding::Install()) {}

    TestBranding* branding;
};

// The calling thread's last error text and code.
std::string LastErrorText();
int32_t LastErrorCode();

}  // namespace GenTLTest
