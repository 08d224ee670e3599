#include "app/ProjectFile.h"
#include "base/TextHelpers.h"

#include "app/ProjectProperties.h"
#include "app/RecentFiles.h"
#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "base/Paths.h"
#include "engine/HeatExchanger.h"
#include "properties/Fluid.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

namespace zmk {

namespace {

void tell(const TProjectFileContext& context, const std::string& text)
{
    if (context.Notifier)
        context.Notifier->Message(text);
}

void becomeCurrentFile(TCoilJob& job, const std::string& fileName, const TProjectFileContext& context)
{
    if (context.RecentFiles)
        SetFileName(job.FileName, fileName, *context.RecentFiles);
    else
        job.FileName = fileName;
}

} // namespace

std::optional<std::string> CoilKindInDocument(TXMLFile::Node root)
{
    for (TXMLFile::Node c = root.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        for (const TCoilElementName& e : kCoilElements)
            if (std::strcmp(c.name(), e.Name) == 0 || std::strcmp(c.name(), e.OlderName) == 0)
                return std::string(e.Kind);
    }
    return std::nullopt;
}

bool IsProjectDocument(TXMLFile::Node root)
{
    if (!root)
        return false;
    if (SameText(root.name(), kProjectRoot))
        return true;
    if (CoilKindInDocument(root))
        return true;
    return static_cast<bool>(root.child("startval"));
}

TProjectLoad LoadProjectFile(const std::string& fileName)
{
    TProjectLoad load;
    load.FileName = fileName;
    TXMLFile::Node root;
    load.File = std::make_unique<TXMLFile>(fileName, root, false, kMaxProjectFileSize);
    load.FileStatus = load.File->FileStatus();
    if (load.FileStatus == TFileReadStatus::Missing) {
        load.Error = std::string(kFileNotFoundMessage);
        return load;
    }
    if (load.FileStatus != TFileReadStatus::Ok || load.File->ReadStatus() != rsNone) {
        load.Error = load.File->LoadError();
        return load;
    }
    if (!root) {
        load.Error = "The file holds no elements";
        return load;
    }
    load.Parsed = true;
    load.Root = root;
    load.Kind = CoilKindInDocument(root).value_or("");
    load.IsProject = IsProjectDocument(root);
    if (!load.IsProject)
        load.Error = "The file \"" + fileName + "\" holds no project: its root element <" + root.name() +
                     "> is not <" + kProjectRoot + "> and holds no coil and no start values";
    return load;
}

std::string OpenFailureMessage(const TProjectLoad& load)
{
    if (load.FileStatus == TFileReadStatus::Missing)
        return std::string(kFileNotFoundMessage) + "\r\n" + load.FileName;
    if (load.FileStatus != TFileReadStatus::Ok || (load.Parsed && !load.IsProject))
        return std::string(kFileRefusedMessage) + "\r\n" + load.Error;
    if (!load.Parsed)
        return std::string(kFileNotReadMessage) + "\r\n" + load.FileName + "\r\n" + load.Error;
    return std::string();
}

std::optional<std::string> ProjectFileKind(const std::string& fileName)
{
    const TProjectLoad load = LoadProjectFile(fileName);
    if (!load.Parsed || load.Kind.empty())
        return std::nullopt;
    return load.Kind;
}

void WriteStartValues(TXMLFile& file, TXMLFile::Node root, const TStartValues& v)
{
    TXMLFile::Node s = file.FindPath(root, {"startval"}, true);
    file.WriteFloat(s, "Pa", true, "%0.6g", v.Pa);
    file.WriteFloat(s, "dbi", true, "%0.6g", v.dbi);
    file.WriteFloat(s, "wai", true, "%0.6g", v.wai);
    file.WriteFloat(s, "dbo", true, "%0.6g", v.dbo);
    file.WriteFloat(s, "wao", true, "%0.6g", v.wao);
    file.WriteFloat(s, "vf", true, "%0.6g", v.vf);
    file.SetAttr(file.WriteInt(s, "LiquidSpec", true, v.LiquidSpec), "var", LiquidKindName(v.LiquidSpec));
    file.WriteText(s, "LiquidCaption", true, v.LiquidCaption);
    file.WriteFloat(s, "UserRo", true, "%0.6g", v.UserRo);
    file.WriteFloat(s, "UserCp", true, "%0.6g", v.UserCp);
    file.WriteFloat(s, "UserMu", true, "%0.6g", v.UserMu);
    file.WriteFloat(s, "UserKo", true, "%0.6g", v.UserKo);
    file.WriteFloat(s, "mw", true, "%0.6g", v.mw);
    file.WriteFloat(s, "twi", true, "%0.6g", v.twi);
    file.WriteFloat(s, "two", true, "%0.6g", v.two);
    const char* control = v.LiquidControl == wcTemp ? "wcTemp" : v.LiquidControl == wcFlow ? "wcFlow" : "";
    file.SetAttr(file.WriteInt(s, "LiquidControl", true, v.LiquidControl), "var", control);
    file.WriteText(s, "CoilMaker", true, v.CoilMaker);
    file.WriteInt(s, "tube", true, v.tube);
    file.WriteText(s, "CoilModel", true, v.CoilModel);
    file.WriteFloat(s, "fHeight", true, "%0.6g", v.fHeight);
    file.WriteFloat(s, "fLength", true, "%0.6g", v.fLength);
    file.WriteFloat(s, "Rows", true, "%0.3f", v.Rows);
    file.WriteFloat(s, "fpi", true, "%0.3f", v.fpi);
    file.WriteFloat(s, "Circ", true, "%0.3f", v.Circ);
}

void WriteProjectDocument(TXMLFile& file, TCoilJob& job)
{
    TXMLFile::Node root;
    file.InitRoot(kProjectRoot, kProgramName, root, kProjectVersion);
    if (job.Properties)
        job.Properties->SaveToXML(file, root);
    if (TLiquidCoil* coil = job.Coil())
        coil->SaveToXML(file, root);
    job.CaptureStartValues();
    WriteStartValues(file, root, job.StartValues);
}

bool ReadProjectDocument(TXMLFile& file, TXMLFile::Node root, TCoilJob& job)
{
    if (job.Properties)
        job.Properties->LoadFromXML(file, root);
    TLiquidCoil* coil = job.Coil();
    if (!coil)
        return false;
    bool found = false;
    for (const TCoilElementName& e : kCoilElements)
        if (CanonicalCoilKind(job.KindCode) == e.Kind)
            found = file.FindPath(root, {e.Name}, false) || file.FindPath(root, {e.OlderName}, false);
    coil->LoadFromXML(file, root);
    return found;
}

bool SaveProject(TCoilJob& job, const TProjectFileContext& context)
{
    job.ApplyInputs();
    if (job.FileName.empty())
        becomeCurrentFile(job, job.DataFolder + "Default" + std::string(kProjectExtension), context);
    // An existing file is parsed and then discarded; one that does not parse is simply replaced.
    TXMLFile::Node root;
    TXMLFile file(job.FileName, root, true);
    file.SetNotifier(context.Notifier);
    WriteProjectDocument(file, job);
    try {
        file.Save();
    } catch (const ZmkError& e) {
        tell(context, e.what());
        return false;
    }
    return true;
}

bool SaveProjectAs(TCoilJob& job, const std::string& fileName, const TProjectFileContext& context)
{
    becomeCurrentFile(job, fileName, context);
    return SaveProject(job, context);
}

TOpenResult OpenProject(TCoilJob& job, const std::string& fileName, const TProjectFileContext& context)
{
    TProjectLoad load = LoadProjectFile(fileName);
    return OpenLoadedProject(job, load, context);
}

TOpenResult OpenLoadedProject(TCoilJob& job, TProjectLoad& load, const TProjectFileContext& context)
{
    TOpenResult result;
    if (load.FileStatus == TFileReadStatus::Missing) {
        tell(context, OpenFailureMessage(load));
        return result;
    }
    result.Exists = true;
    result.Parsed = load.Parsed;
    result.FileKind = load.Kind;
    if (load.FileStatus != TFileReadStatus::Ok || (load.Parsed && !load.IsProject)) {
        // Not made the current file: a Save would replace what the user keeps there.
        result.Refused = true;
        result.LoadError = load.Error;
        tell(context, OpenFailureMessage(load));
        return result;
    }
    becomeCurrentFile(job, load.FileName, context);
    job.SetSolved(false);

    if (!load.Parsed) {
        // Nothing is read, but the user learns why the job did not change: a later Save
        // would replace this file.
        result.LoadError = load.Error;
        tell(context, OpenFailureMessage(load));
    } else {
        TXMLFile& file = *load.File;
        file.SetNotifier(context.Notifier);
        try {
            result.CoilFound = ReadProjectDocument(file, load.Root, job);
        } catch (const ZmkError& e) {
            // A value every check let through and the coil still refused: what was read stays,
            // the job is not solved and a Solve reports on it in the usual way.
            result.CoilFound = true;
            tell(context, std::string(kFileNotReadMessage) + "\r\n" + load.FileName + "\r\n" + e.what());
        }
        if (!result.CoilFound && job.Coil()) {
            const std::string kind = UpperCase(job.KindCode);
            tell(context, result.FileKind.empty()
                              ? "The file holds no coil: only the project properties were read..."
                              : "The file holds a " + UpperCase(result.FileKind) + " coil, not a " + kind +
                                    " coil: only the project properties were read...");
        }
    }
    job.ShowInputs();
    if (job.View)
        job.View->RefreshView();
    return result;
}

} // namespace zmk
