#pragma once
#include <platform/pex/Pex.h>

namespace GenTLCore {

// Runs one GenTL call with the imaging library's application setting
// 0x41000000 at 0: saves the calling thread's value, clears it, and puts the
// saved value back when the call is over, whatever it returned.
class PexSettingBracket {
public:
    static constexpr PEX_INT kSetting = 0x41000000;

    PexSettingBracket();
    ~PexSettingBracket();
    PexSettingBracket(const PexSettingBracket&) = delete;
    PexSettingBracket& operator=(const PexSettingBracket&) = delete;

private:
    PEX_INT m_saved = 0;
};

}  // namespace GenTLCore
