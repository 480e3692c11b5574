#pragma once
#include <GenTL.h>

#include <gtest/gtest.h>

#include <string>

namespace GenTLTest {

// Tests of the producer's exported functions in this process: the producer
// is loaded once (as a consumer's dlopen would) with the test back end's
// factory table. Each test starts with the back end's default settings and
// an uninitialised library, and leaves the library closed.
class ProducerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // GCInitLib, TLOpen, TLUpdateInterfaceList, TLOpenInterface of "if0",
    // IFUpdateDeviceList.
    void OpenToInterface();
    // ... and IFOpenDevice of `device` with `access`.
    void OpenToDevice(const char* device = "cam0", DEVICE_ACCESS_FLAGS access = DEVICE_ACCESS_EXCLUSIVE);
    // ... and DevOpenDataStream of the first stream.
    void OpenToStream();
    // The id text written by a GenTL id getter.
    static std::string InterfaceId(TL_HANDLE system, uint32_t index);
    // The calling thread's last error code and text.
    static GC_ERROR LastError(std::string* text = nullptr);
    // The whole description that a module's first port URL names.
    static std::string ReadDescription(PORT_HANDLE port);

    TL_HANDLE system = nullptr;
    IF_HANDLE interface = nullptr;
    DEV_HANDLE device = nullptr;
    DS_HANDLE stream = nullptr;
};

}  // namespace GenTLTest
