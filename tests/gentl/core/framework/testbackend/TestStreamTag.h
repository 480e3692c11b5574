#pragma once
#include "StreamTag.h"

#include <string>

namespace GenTLTest {

class TestStreamTag : public GenTLCore::StreamTag {
public:
    TestStreamTag(std::string device, std::string stream) : m_device(std::move(device)), m_stream(std::move(stream)) {}
    std::string GetDeviceID() const override { return m_device; }
    std::string GetStreamID() const override { return m_stream; }

private:
    std::string m_device;
    std::string m_stream;
};

}  // namespace GenTLTest
