#include "PexSettingBracket.h"

namespace GenTLCore {

PexSettingBracket::PexSettingBracket()
{
    PexAppInquire(PEX_DEFAULT, kSetting, &m_saved);
    PexAppControl(PEX_DEFAULT, kSetting, 0);
}

PexSettingBracket::~PexSettingBracket() { PexAppControl(PEX_DEFAULT, kSetting, m_saved); }

}  // namespace GenTLCore
