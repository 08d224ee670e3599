// A project session for the project-file and export tests: built with a kind's defaults, with
// its own settings store, project properties and recording notifier, in a scratch folder that
// also holds a copy of the coil maker catalogue (so that nothing is written into the installed
// one).
#pragma once

#include "support/ShellTestFolder.h"

#include "app/CoilJob.h"
#include "app/ProjectProperties.h"
#include "app/ProjectSession.h"
#include "base/Notifier.h"
#include "base/Paths.h"
#include "engine/HeatExchanger.h"
#include "geometry/CoilMakers.h"
#include "platform/SettingsStore.h"

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

/// A session with one kind's defaults built and solved, an in-memory settings store, a
/// registered user of its own and a notifier that records (emptied after the build).
struct ProjectJob
{
    explicit ProjectJob(std::string_view kind, const std::string& dataFolder = {})
        : session(setup(dataFolder)), job(session.Job()), properties(session.Properties())
    {
        session.BuildKind(kind);
        notes.messages.clear();
        notes.statuses.clear();
    }
    TLiquidCoil& coil() { return *job.Coil(); }
    TLiquid& liquid() { return *job.Liquid(); }

    TMemorySettingsStore store;
    RecordingNotifier notes;
    TProjectSession session;
    TCoilJob& job;
    TProjectProperties& properties;

private:
    TSessionSetup setup(const std::string& dataFolder)
    {
        TSessionSetup s;
        s.Notifier = &notes;
        s.Store = &store;
        s.User = TRegisteredUser{"Ada Engineer", "Coil Works"};
        s.DataFolder = dataFolder;
        return s;
    }
};

} // namespace zmk::test
