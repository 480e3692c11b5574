#include "SpoolTestFiles.h"
#include "WaitFor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

SpoolTestFiles::SpoolTestFiles()
{
    char pattern[] = "/tmp/framespool-test-XXXXXX";
    if (const char* dir = ::mkdtemp(pattern))
        m_dir = dir;
}

SpoolTestFiles::~SpoolTestFiles()
{
    std::error_code ignored;
    if (!m_dir.empty())
        std::filesystem::remove_all(m_dir, ignored);
}

bool SpoolTestFiles::Exists(const std::string& path) { return std::filesystem::exists(path); }

std::vector<uint8_t> SpoolTestFiles::Read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SpoolTestFiles::Names() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool SpoolTestFiles::TiffInfo(const std::string& path, std::vector<TiffPage>* pages, std::string* text)
{
    pages->clear();
    text->clear();
    const std::string command = "tiffinfo '" + path + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        text->append(chunk, n);
    const int status = ::pclose(pipe);

    std::istringstream lines(*text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("TIFF Directory at offset", 0) == 0) {
            pages->emplace_back();
            continue;
        }
        if (pages->empty())
            continue;
        TiffPage& page = pages->back();
        std::sscanf(line.c_str(), " Image Width: %d Image Length: %d", &page.width, &page.height);
        std::sscanf(line.c_str(), " Bits/Sample: %d", &page.bits);
        std::sscanf(line.c_str(), " Samples/Pixel: %d", &page.samples);
        const std::string photometric = "  Photometric Interpretation: ";
        if (line.rfind(photometric, 0) == 0)
            page.photometric = line.substr(photometric.size());
    }
    const bool complained = text->find("Error") != std::string::npos ||
                            text->find("Warning") != std::string::npos ||
                            text->find("error") != std::string::npos;
    return status == 0 && !complained;
}

void le16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void le32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> Pattern(size_t size, uint32_t seed)
{
    std::vector<uint8_t> data(size);
    uint32_t x = seed * 2654435761u + 12345u;
    for (auto& b : data) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return data;
}

bool WaitForCapturedStderr(const std::string& text, int ms)
{
    // The capture sends stderr to a file; reopening it by its descriptor reads
    // what has been written so far without disturbing the capture.
    return lumatest::waitFor([&] {
        const std::vector<uint8_t> soFar = SpoolTestFiles::Read("/proc/self/fd/2");
        return std::search(soFar.begin(), soFar.end(), text.begin(), text.end()) != soFar.end();
    }, ms);
}
