#pragma once
#include <string>

namespace GenTLCore {

// Identity of a data stream, from which the stream and its buffers build
// their ids. Implemented by the back end.
class StreamTag {
public:
    virtual ~StreamTag();
    // UTF-8 texts.
    virtual std::string GetDeviceID() const = 0;
    virtual std::string GetStreamID() const = 0;
};

}  // namespace GenTLCore
