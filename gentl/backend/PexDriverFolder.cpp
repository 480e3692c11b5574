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

bool PexDriverFolder::HoldsEntry(const std::wstring& list, const std::wstring& entry)
{
    for (size_t begin = 0;;) {
        const size_t end = list.find(kPathListSeparator, begin);
        const size_t length = (end == std::wstring::npos ? list.size() : end) - begin;
        if (list.compare(begin, length, entry) == 0)
            return true;
        if (end == std::wstring::npos)
            return false;
        begin = end + 1;
    }
}

CPEXString PexDriverFolder::AppendToPath(const CPEXString& platformWord)
{
    const CPEXString folder = Folder(platformWord);
    CPEXString path;
    ResolveEnvironmentFolder(path, L"PATH");
    // A consumer may load the producer any number of times: the folder
    // joins PATH once.
    if (HoldsEntry(path.str(), folder.str()))
        return folder;
    if (!path.empty())
        path.str() += kPathListSeparator;
    path += folder;
    platform::os::setEnvironmentW(L"PATH", path.c_str());
    return folder;
}

}  // namespace GenTLCore::PEXCore
