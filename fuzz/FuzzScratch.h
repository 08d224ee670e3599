// The fuzz targets' scratch folder: in memory-backed /dev/shm where there is one (every run
// writes its input there), named after the target and the process, removed at exit.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <unistd.h>

namespace zmk::fuzz {

struct FuzzScratch
{
    explicit FuzzScratch(const std::string& target)
    {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        dir = base / ("zmk_fuzz_" + target + "_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    ~FuzzScratch()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    FuzzScratch(const FuzzScratch&) = delete;
    FuzzScratch& operator=(const FuzzScratch&) = delete;

    /// Empties the folder.
    void Clear() const
    {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ec))
            std::filesystem::remove_all(entry.path(), ec);
    }
    /// Writes a file of the folder.
    void Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(dir / name, std::ios::binary | std::ios::trunc) << bytes;
    }

    std::filesystem::path dir;
};

} // namespace zmk::fuzz
