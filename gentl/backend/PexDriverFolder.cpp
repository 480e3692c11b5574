#include "PexDriverFolder.h"

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

bool PexDriverFolder::HoldsEntry(const std::string& list, const std::string& entry)
{
    for (size_t begin = 0;;) {
        const size_t end = list.find(kPathListSeparator, begin);
        const size_t length = (end == std::string::npos ? list.size() : end) - begin;
        if (list.compare(begin, length, entry) == 0)
            return true;
        if (end == std::string::npos)
            return false;
        begin = end + 1;
    }
}

CPEXString PexDriverFolder::AppendToPath(const CPEXString& platformWord)
{
    const CPEXString folder = Folder(platformWord);
    std::string entry;
    if (!platform::os::wideToUtf8(folder.str(), &entry))
        return folder;
    // PATH's entries name folders in whatever bytes they hold: they are
    // never converted. Without PATH the C library searches its default
    // path, which a PATH of the folder alone would hide.
    std::string path;
    if (!platform::os::getEnvironmentBytes("PATH", &path))
        path = platform::os::defaultSearchPath();
    // A consumer may load the producer any number of times: the folder
    // joins PATH once.
    if (HoldsEntry(path, entry))
        return folder;
    platform::os::setEnvironmentBytes("PATH", path + kPathListSeparator + entry);
    return folder;
}

}  // namespace GenTLCore::PEXCore
