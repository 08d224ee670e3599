#include "cli/ProjectCli.h"

#include "app/Notifier.h"
#include "app/ProjectFile.h"

#include <stdexcept>

namespace zmk::cli {

namespace {

// The last message an operation told, for the error it ends in.
std::string lastMessage(const RecordingNotifier& told)
{
    return told.messages.empty() ? std::string() : TerminalText(told.messages.back());
}

} // namespace

ProjectJob::ProjectJob(INotifier* notifier)
    : store(ProgramSettingsFile()), properties(store, ReadRegisteredUser()), job(notifier)
{
    job.Properties = &properties;
}

void BuildDefault(ProjectJob& project, const std::string& kind)
{
    const std::optional<std::string> code = CanonicalCoilKind(kind);
    if (!code)
        throw std::runtime_error("--kind expects zmk, hwc or cwc, not '" + kind + "'");
    project.job.KindCode = *code;
    project.job.SetKindDefaults();
    project.job.BuildCoil();
    if (!project.job.Coil())
        throw std::runtime_error("no coil could be built");
}

void OpenProjectFile(ProjectJob& project, const std::string& fileName, const std::string& kind,
                     INotifier* notifier)
{
    BuildDefault(project,
                 !kind.empty() ? kind : ProjectFileKind(fileName).value_or(std::string(kKindZemtor)));
    RecordingNotifier told;
    const TOpenResult r = OpenProject(project.job, fileName, {&told});
    if (!r.Exists || !r.Parsed)
        throw std::runtime_error(lastMessage(told));
    if (notifier)
        for (const std::string& m : told.messages)
            notifier->Message(m);
}

void SaveProjectFile(ProjectJob& project, const std::string& fileName)
{
    RecordingNotifier told;
    if (!SaveProjectAs(project.job, fileName, {&told}))
        throw std::runtime_error(lastMessage(told));
}

std::string TerminalText(std::string text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace zmk::cli
