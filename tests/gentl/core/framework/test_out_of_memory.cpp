// Memory that runs out answers -1021 and leaves a text with it.
#include "StreamFixture.h"
#include "LastGenTLError.h"
#include "GenTLInterface.h"
#include "GenTLSystem.h"
#include "InterfaceTag.h"

#include <cstdint>
#include <functional>
#include <new>

using namespace GenTLCore;

namespace GenTLTest {

namespace {

// A system whose discovery runs out of memory (a library that reports
// billions of boards).
class ExhaustedSystem : public GenTLSystem {
public:
    int32_t DiscoverInterfaces(std::vector<CountedPtr<InterfaceTag>>*, uint64_t) override { throw std::bad_alloc(); }
    CountedPtr<GenTLInterface> CreateInterface(const CountedPtr<InterfaceTag>&) override { return {}; }
};

}  // namespace

TEST_F(StreamTest, RunningOutOfMemoryAnswersMinus1021WithItsText)
{
    ExhaustedSystem system;
    CountedPtr<GenTLBuffer> buffer;
    const std::pair<const char*, std::function<GC_ERROR()>> cases[] = {
        {"interface list", [&] { return system.UpdateInterfaceList(nullptr, 0); }},
        {"announce", [&] { return stream.AllocAndAnnounceBuffer(SIZE_MAX, nullptr, &buffer); }},
    };
    for (const auto& c : cases) {
        SetLastGenTLError(GC_ERR_SUCCESS, "");
        EXPECT_EQ(c.second(), GC_ERR_OUT_OF_MEMORY) << c.first;
        EXPECT_EQ(LastErrorCode(), GC_ERR_OUT_OF_MEMORY) << c.first;
        EXPECT_NE(LastErrorText().find("out of memory"), std::string::npos) << c.first << ": " << LastErrorText();
    }
}

}  // namespace GenTLTest
