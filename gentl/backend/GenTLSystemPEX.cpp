#include "GenTLSystemPEX.h"

#include "InterfaceTagPEX.h"
#include "PexErrorTracker.h"
#include "PexLibraryCodes.h"
#include "PexTextInquiry.h"

#include <map>

namespace GenTLCore::PEXCore {

GenTLSystemPEX::GenTLSystemPEX(uint64_t context) : m_context(context) {}

GenTLSystemPEX::~GenTLSystemPEX() = default;

int32_t GenTLSystemPEX::DiscoverInterfaces(std::vector<CountedPtr<InterfaceTag>>* tags, uint64_t)
{
    int64_t count = 0;
    PexAppInquire(m_context, PexCode::kAppInstalledSystems, &count);
    // Boards seen so far per system type.
    std::map<int64_t, int64_t> boardsOfType;
    for (int64_t k = 0; k < count; ++k) {
        int64_t type = 0;
        PexAppInquire(m_context, PexCode::kAppSystemType + k, &type);
        const SupportedSystem* row = nullptr;
        for (const SupportedSystem& supported : GetSupportedSystems()) {
            if (supported.type == type) {
                row = &supported;
                break;
            }
        }
        if (!row)
            continue;
        const std::wstring name = InquirePexText(&PexAppInquire, m_context, PexCode::kAppSystemName + k);
        int64_t boards = 0;
        PexAppInquire(m_context, PexCode::kAppSystemBoards + k, &boards);
        int64_t& first = boardsOfType[type];
        for (int64_t c = 0; c < boards; ++c)
            tags->push_back(CountedPtr<InterfaceTag>(new InterfaceTagPEX(row->descriptor, name, first + c)));
        if (boards > 0)
            first += boards;
    }
    return PexErrorTracker::CheckThreadError(PexErrorTracker::Instance());
}

}  // namespace GenTLCore::PEXCore
