#include "PexDriverFolder.h"

#include "RegistryEnvironment.h"
#include "RegistryKey.h"

#include <platform/os/Environment.h>

namespace GenTLCore::PEXCore {

CPEXString PexDriverFolder::Folder(const CPEXString& platformWord)
{
    CPEXString folder;
    RegistryKey key(3, nullptr, false);
    if (key.ValueExists(L"DriversPath") && key.ReadString(L"DriversPath", folder)) {
        std::wstring& text = folder.str();
        // A lone "/" stays: it is the root, not an empty folder.
        while (text.size() > 1 && text.back() == CPEXString::kPathSeparator)
            text.pop_back();
    }
    folder.AppendPath(L"GenTLProducer");
    folder.AppendPathString(platformWord);
    return folder;
}

CPEXString PexDriverFolder::AppendToPath(const CPEXString& platformWord)
{
    const CPEXString folder = Folder(platformWord);
    CPEXString path;
    ResolveEnvironmentFolder(path, L"PATH");
    if (!path.empty())
        path.str() += kPathListSeparator;
    path += folder;
    platform::os::setEnvironmentW(L"PATH", path.c_str());
    return folder;
}

}  // namespace GenTLCore::PEXCore
