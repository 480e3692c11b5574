#include "FrameworkFixture.h"

#include "LastGenTLError.h"

namespace GenTLTest {

std::string LastErrorText()
{
    GenTLCore::LastErrorRecord record;
    GenTLCore::GetLastGenTLError(&record);
    return record.text;
}

int32_t LastErrorCode()
{
    GenTLCore::LastErrorRecord record;
    GenTLCore::GetLastGenTLError(&record);
    return record.code;
}

}  // namespace GenTLTest
