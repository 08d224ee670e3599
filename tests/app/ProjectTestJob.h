// A coil job for the project-file and export tests: built with a kind's defaults, with its own
// project properties and notifier, in a scratch folder that also holds a copy of the coil maker
// catalogue (so that nothing is written into the installed one).
#pragma once

#include "ShellTestFolder.h"

#include "app/CoilJob.h"
#include "app/Notifier.h"
#include "app/Paths.h"
#include "app/ProjectProperties.h"
#include "app/SettingsStore.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace zmk::test {

/// Points the process's catalogue at a copy in `folder` for the life of the object.
class CatalogueCopy
{
public:
    explicit CatalogueCopy(const std::filesystem::path& folder) : old_(ProcessCoilMakers().FileName())
    {
        const std::filesystem::path copy = folder / "CoilMakers.xml";
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(CommonDataFolder() + "CoilMakers.xml", copy,
                                   std::filesystem::copy_options::overwrite_existing);
        ProcessCoilMakers().Reset(copy.string());
    }
    ~CatalogueCopy() { ProcessCoilMakers().Reset(old_); }
    CatalogueCopy(const CatalogueCopy&) = delete;
    CatalogueCopy& operator=(const CatalogueCopy&) = delete;

private:
    std::string old_;
};

/// A job of one kind with its defaults built and solved, its project properties and notifier.
struct ProjectJob
{
    explicit ProjectJob(std::string_view kind, const std::string& dataFolder = {})
        : properties(store, TRegisteredUser{"Ada Engineer", "Coil Works"}), job(&notes)
    {
        job.KindCode = std::string(kind);
        job.DataFolder = dataFolder;
        job.Properties = &properties;
        job.SetKindDefaults();
        job.BuildCoil();
        notes.messages.clear();
        notes.statuses.clear();
    }
    TLiquidCoil& coil() { return *job.Coil(); }
    TLiquid& liquid() { return *job.Liquid(); }

    TMemorySettingsStore store;
    TProjectProperties properties;
    RecordingNotifier notes;
    TCoilJob job;
};

} // namespace zmk::test
