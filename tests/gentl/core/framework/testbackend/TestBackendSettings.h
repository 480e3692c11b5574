#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace GenTLTest {

// What the test back end finds and how it behaves, set by tests before the
// calls they make. One instance per process (the back end's objects read it
// when they run).
struct TestBackendSettings {
    struct Device {
        std::string id;
        bool noAccess = false;
        bool readWrite = true;
        std::string userName;  // empty: no user-defined name
    };
    struct Interface {
        std::string id;
        std::vector<Device> devices;
    };

    // Back to the defaults: one interface "if0" with devices "cam0" and
    // "cam1", every switch off.
    void Reset();
    std::vector<Interface> Interfaces();
    void SetInterfaces(const std::vector<Interface>& interfaces);
    // What a buffer's open (its entry in the handle pool) answers: 0, or
    // what `open` answers once set.
    void SetBufferOpen(std::function<int32_t()> open);
    int32_t BufferOpen();

    std::atomic<bool> failInitTL{false};
    std::atomic<bool> usesProcessLock{false};
    std::atomic<bool> deviceAvailable{true};
    std::atomic<bool> messageChannel{false};
    std::atomic<bool> remoteDeviceEvents{false};
    std::atomic<bool> failEnableRemoteEvents{false};
    std::atomic<bool> withRemoteDevice{true};
    std::atomic<uint64_t> payloadSize{64};
    std::atomic<int> openTLDeviceCalls{0};
    std::atomic<int> closeTLDeviceCalls{0};

    static TestBackendSettings& Get();

private:
    std::mutex m_mutex;
    std::vector<Interface> m_interfaces;
    std::function<int32_t()> m_bufferOpen;
};

}  // namespace GenTLTest
