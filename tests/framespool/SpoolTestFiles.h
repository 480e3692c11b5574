#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder below /tmp, removed with everything in it at destruction.
class SpoolTestFiles
{
public:
    SpoolTestFiles();
    ~SpoolTestFiles();
    SpoolTestFiles(const SpoolTestFiles&) = delete;
    SpoolTestFiles& operator=(const SpoolTestFiles&) = delete;

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    const std::string& Dir() const { return m_dir; }

    static bool Exists(const std::string& path);
    static std::vector<uint8_t> Read(const std::string& path);
    // Files in the folder, by name.
    std::vector<std::string> Names() const;

    // One page as tiffinfo reports it.
    struct TiffPage {
        int width = 0, height = 0, bits = 0, samples = 0;
        std::string photometric;
    };
    // Runs tiffinfo on the file; false (with its output in text) when it
    // fails or complains.
    static bool TiffInfo(const std::string& path, std::vector<TiffPage>* pages, std::string* text);

private:
    std::string m_dir;
};

// While gtest captures stderr: waits until the captured text holds text;
// false after ms milliseconds.
bool WaitForCapturedStderr(const std::string& text, int ms);

// Little-endian byte builders for expected file images.
void le16(std::vector<uint8_t>& out, uint16_t v);
void le32(std::vector<uint8_t>& out, uint32_t v);
// A frame of size bytes whose content depends on seed.
std::vector<uint8_t> Pattern(size_t size, uint32_t seed);
