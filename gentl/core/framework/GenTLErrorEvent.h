#pragma once
#include "GenTLEventImpl.h"

#include <string>

namespace GenTLCore {

// One item of an error event: the error text.
struct ErrorEventData_ {
    std::string text;
};

// EVENT_ERROR: error texts of a module, each handed out with its closing
// zero. Texts are cut to 1023 bytes when pushed, so that every item fits the
// event's maximum size of 1024.
class GenTLErrorEvent : public GenTLEventImpl<ErrorEventData_> {
public:
    static constexpr uint64_t kSizeMax = 1024;

    GenTLErrorEvent() : GenTLEventImpl(false) {}
    ~GenTLErrorEvent() override;

    // Appends the text (cut to fit); false when refused.
    bool PushError(const std::string& text);

    GC_ERROR GetEventDataInfo(const void* item, size_t itemSize, EVENT_DATA_INFO_CMD command, INFO_DATATYPE* type,
                              void* buffer, size_t* size) override;
    int32_t GetEventType() const override { return EVENT_ERROR; }
    uint64_t GetEventSizeMax() const override { return kSizeMax; }
    uint64_t GetInfoDataSizeMax() const override { return kSizeMax; }

protected:
    GC_ERROR CopyEventData(ErrorEventData_& item, void* buffer, size_t* size) override;
};

}  // namespace GenTLCore
