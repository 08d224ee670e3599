#include "app/ProjectFile.h"
#include "base/TextHelpers.h"

#include "app/ProjectProperties.h"
#include "base/Errors.h"
#include "base/Notifier.h"
#include "base/NumText.h"
#include "base/Paths.h"
#include "engine/HeatExchanger.h"
#include "platform/RecentFiles.h"
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

bool isCoilElement(TXMLFile::Node node, const TCoilElementName& e)
{
    return std::strcmp(node.name(), e.Name) == 0 || std::strcmp(node.name(), e.OlderName) == 0;
}

// The child `name` of a node, taking over its older name where only that is there; children
// under the older name the reader no longer looks at go.
void settleOlderName(TXMLFile::Node node, const char* name, const char* olderName)
{
    if (!node.child(name))
        if (TXMLFile::Node older = node.child(olderName))
            older.set_name(name);
    while (TXMLFile::Node older = node.child(olderName))
        node.remove_child(older);
}

// Readies a copy of an opened document for the job's coil of kind `kind`: the kind's element
// under its present name (taking over its older name, in its place), coil elements of other
// kinds gone (the job's coil taking the place of the first), and within the coil the geometry
// and the air flow under the names the writer uses. What the program does not know stays.
void settleCoilElements(TXMLFile::Node root, const std::string& kind)
{
    const TCoilElementName* own = nullptr;
    for (const TCoilElementName& e : kCoilElements)
        if (kind == e.Kind)
            own = &e;
    if (!own)
        return;
    settleOlderName(root, own->Name, own->OlderName);
    TXMLFile::Node coil = root.child(own->Name);
    for (TXMLFile::Node c = root.first_child(); c;) {
        const TXMLFile::Node next = c.next_sibling();
        for (const TCoilElementName& e : kCoilElements) {
            if (&e == own || c.type() != pugi::node_element || !isCoilElement(c, e))
                continue;
            if (!coil)
                coil = root.insert_child_before(own->Name, c);
            root.remove_child(c);
            break;
        }
        c = next;
    }
    if (!coil)
        return;
    settleOlderName(coil, "fat", "finandtube");
    if (TXMLFile::Node air = coil.child("air"))
        settleOlderName(air, "ma", "MassFlow");
}

} // namespace

void MakeCurrentFile(TCoilJob& job, const std::string& fileName, const TProjectFileContext& context)
{
    if (context.RecentFiles)
        SetCurrentFile(job.FileName, fileName, *context.RecentFiles);
    else
        job.FileName = fileName;
    job.Notify(jcFile);
}

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

void WriteProjectDocument(TXMLFile& file, TCoilJob& job, const pugi::xml_document* opened)
{
    TXMLFile::Node root;
    if (opened && opened->document_element()) {
        file.Document().reset(*opened);
        root = file.Root();
        root.set_name(kProjectRoot);
        file.SetAttr(root, "program", kProgramName);
        file.SetAttr(root, "generator", "Quorvane Software");
        file.SetAttr(root, "version", kProjectVersion);
        if (job.Coil())
            if (const std::optional<std::string> kind = CanonicalCoilKind(job.KindCode))
                settleCoilElements(root, *kind);
    } else {
        file.InitRoot(kProjectRoot, kProgramName, root, kProjectVersion);
    }
    if (job.Properties)
        job.Properties->SaveToXML(file, root);
    if (TLiquidCoil* coil = job.Coil())
        coil->SaveToXML(file, root);
    job.CaptureStartValues();
    WriteStartValues(file, root, job.StartValues);
}

bool ReadProjectDocument(TXMLFile& file, TXMLFile::Node root, TCoilJob& job)
{
    // Some hundred values read from a dozen elements: each element's children are indexed once.
    const TXMLFile::IndexedReads indexed(file);
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

bool TCoilJob::Save(const TProjectFileContext& context)
{
    ApplyInputs();
    if (FileName.empty())
        MakeCurrentFile(*this, DataFolder + "Default" + std::string(kProjectExtension), context);
    // An existing file is parsed and then discarded; one that does not parse is simply replaced.
    // What is kept of a file comes from the one the job was opened from.
    TXMLFile::Node root;
    TXMLFile file(FileName, root, true);
    file.SetNotifier(context.Notifier);
    WriteProjectDocument(file, *this, context.Opened);
    try {
        file.Save();
    } catch (const ZmkError& e) {
        tell(context, e.what());
        return false;
    }
    return true;
}

bool TCoilJob::SaveAs(const std::string& fileName, const TProjectFileContext& context)
{
    MakeCurrentFile(*this, fileName, context);
    return Save(context);
}

TOpenResult TCoilJob::Open(const std::string& fileName, const TProjectFileContext& context)
{
    TProjectLoad load = LoadProjectFile(fileName);
    return Open(load, context);
}

TOpenResult TCoilJob::Open(TProjectLoad& load, const TProjectFileContext& context)
{
    TOpenResult result;
    if (load.FileStatus == TFileReadStatus::Missing) {
        tell(context, OpenFailureMessage(load));
        return result;
    }
    result.Exists = true;
    result.Parsed = load.Parsed;
    result.FileKind = load.Kind;
    if (const std::string failure = OpenFailureMessage(load); !failure.empty()) {
        // Not made the current file: a Save would replace what the user keeps there (another
        // program's data, or bytes that are no project at all).
        result.Refused = true;
        result.LoadError = load.Error;
        tell(context, failure);
        return result;
    }
    MakeCurrentFile(*this, load.FileName, context);
    WithdrawResults();

    TXMLFile& file = *load.File;
    file.SetNotifier(context.Notifier);
    try {
        result.CoilFound = ReadProjectDocument(file, load.Root, *this);
    } catch (const ZmkError& e) {
        // A value every check let through and the coil still refused: what was read stays,
        // the job is not solved and a Solve reports on it in the usual way.
        result.CoilFound = true;
        tell(context, std::string(kFileNotReadMessage) + "\r\n" + load.FileName + "\r\n" + e.what());
    }
    if (!result.CoilFound && Coil()) {
        const std::string kind = UpperCase(KindCode);
        tell(context, result.FileKind.empty()
                          ? "The file holds no coil: only the project properties were read..."
                          : "The file holds a " + UpperCase(result.FileKind) + " coil, not a " + kind +
                                " coil: only the project properties were read...");
    }
    ShowInputs();
    Notify(jcResults);
    return result;
}

} // namespace zmk
