// Runs the built zemtor program as a user would, in a scratch folder of its own: home, settings,
// data folder and (unless told otherwise) a copy of the coil maker catalogue all live there, so
// that no run touches the build tree's data or the user's own files.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zmk::test {

/// What a run printed and how it ended.
struct ZemtorRun
{
    int rc = -1;     ///< exit status; -1 when the program did not exit normally
    std::string out; ///< standard output
    std::string err; ///< standard error
};

/// A file's bytes; empty when it cannot be read.
inline std::string ReadFileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Runs a shell command line as it stands; standard output is returned, and whatever the
/// command wrote into errFile as its standard error.
inline ZemtorRun RunCommandLine(const std::string& command, const std::filesystem::path& errFile)
{
    ZemtorRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        run.out.append(buf, n);
    const int status = ::pclose(pipe);
    run.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFileBytes(errFile);
    return run;
}

/// Runs a shell command; standard output is returned, standard error goes to errFile.
inline ZemtorRun RunShell(const std::string& command, const std::filesystem::path& errFile)
{
    return RunCommandLine(command + " 2>'" + errFile.string() + "'", errFile);
}

/// A scratch folder for zemtor runs, removed at the end.
class ZemtorFolder
{
public:
    /// Where the program looks for its catalogue.
    enum class Catalogue {
        Copy,     ///< a copy of the shipped catalogue in the folder's "common/"
        Installed ///< the catalogue installed beside the program
    };

    explicit ZemtorFolder(Catalogue catalogue = Catalogue::Copy) : catalogue_(catalogue)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zmkcliXXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a scratch folder");
        dir_ = pattern;
        if (catalogue_ == Catalogue::Copy) {
            std::filesystem::create_directories(dir_ / "common");
            std::filesystem::copy_file(std::filesystem::path(ZMK_SOURCE_DIR) /
                                           "data/Common Files/CoilMakers.xml",
                                       dir_ / "common" / "CoilMakers.xml");
        }
    }
    ~ZemtorFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ZemtorFolder(const ZemtorFolder&) = delete;
    ZemtorFolder& operator=(const ZemtorFolder&) = delete;

    const std::filesystem::path& path() const { return dir_; }
    std::filesystem::path operator/(const std::string& name) const { return dir_ / name; }

    /// Runs zemtor with the arguments (already quoted for the shell) from inside the folder.
    /// Standard error is kept apart unless the arguments redirect it ("2>&1").
    ZemtorRun Run(const std::string& args, const std::string& env = {}) const
    {
        const std::string d = dir_.string();
        std::string vars = "HOME='" + d + "' XDG_DATA_HOME='" + d + "' ZMK_CONFIG_DIR='" + d + "'";
        if (catalogue_ == Catalogue::Copy)
            vars += " ZMK_COMMON_DIR='" + d + "/common/'";
        const std::filesystem::path errFile = dir_ / "stderr.txt";
        const std::string command =
            "cd '" + d + "' && " + (catalogue_ == Catalogue::Installed ? "env -u ZMK_COMMON_DIR " : "env ") +
            vars + " " + env + " '" ZMK_ZEMTOR "' 2>'" + errFile.string() + "' " + args;
        ZemtorRun run = RunCommandLine(command, errFile);
        std::error_code ec;
        std::filesystem::remove(errFile, ec);
        return run;
    }

private:
    std::filesystem::path dir_;
    Catalogue catalogue_;
};

} // namespace zmk::test
