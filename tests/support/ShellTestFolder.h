// A scratch folder for the settings and file tests, removed afterwards, with the user's
// configuration, data and home folders pointed into it so that no test touches the real ones.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace zmk::test {

/// Sets an environment variable for the life of the object, then puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(std::string name, const std::string& value) : name_(std::move(name))
    {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        ::setenv(name_.c_str(), value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

/// A fresh folder under the system's temporary folder; its name has no hyphen.
class ShellTestFolder
{
public:
    ShellTestFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zmkshellXXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a scratch folder");
        path_ = pattern;
        config_.emplace("ZMK_CONFIG_DIR", (path_ / "config").string());
        xdgConfig_.emplace("XDG_CONFIG_HOME", (path_ / "xdgconfig").string());
        xdgData_.emplace("XDG_DATA_HOME", (path_ / "data").string());
        home_.emplace("HOME", (path_ / "home").string());
    }
    ~ShellTestFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ShellTestFolder(const ShellTestFolder&) = delete;
    ShellTestFolder& operator=(const ShellTestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    /// Writes a file's bytes, making its folders.
    static void Write(const std::filesystem::path& file, const std::string& bytes)
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    /// A file's bytes; empty when missing.
    static std::string Read(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
    std::optional<ScopedEnv> config_, xdgConfig_, xdgData_, home_;
};

} // namespace zmk::test
