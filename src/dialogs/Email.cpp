#include "dialogs/Email.h"

#include "app/ProjectProperties.h"
#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <algorithm>
#include <filesystem>

namespace zmk {

TMailMessage ReportMailMessage(const std::string& documentFile, std::string_view imageList)
{
    TMailMessage m;
    m.Subject = "Report";
    m.Body =
        "Please find selection attached...\r\n\r\nTo view, copy all of the attached files to a temp folder "
        "and open " +
        std::filesystem::path(documentFile).filename().string() + " with your standard web browser";
    m.Attachments.push_back(documentFile);
    for (const std::string& image : SplitFileList(imageList))
        m.Attachments.push_back(image);
    return m;
}

std::string ReportSenderAddress(const TMailSender& stored, const std::string& companyAddress)
{
    return Trim(stored.Address).empty() ? companyAddress : stored.Address;
}

std::vector<std::string> SplitFileList(std::string_view list)
{
    std::vector<std::string> files;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string entry = Trim(list.substr(start, end - start));
        if (!entry.empty())
            files.push_back(entry);
        start = end + 1;
    }
    return files;
}

TEmail::TEmail(ISettingsStore& common, const TRegisteredUser& user, std::string defaultAddress,
               IMailTransport& transport)
    : Sender(ReadMailSender(common, user, defaultAddress)), common_(common), transport_(transport)
{
}

void TEmail::ComposeMail(const std::string& to, const std::string& bcc, const std::string& fromAddress,
                         const std::string& company, const std::string& fromName, const std::string& body,
                         const std::string& attachments, const std::string& subject)
{
    To = to;
    Bcc = bcc;
    if (!Trim(fromAddress).empty())
        Sender.Address = fromAddress;
    Sender.Company = company;
    Sender.Name = fromName;
    Body = body;
    Attachments = SplitFileList(attachments);
    Subject = subject;
    lastResult_ = {};
    setStatus(kReadyStatus);
}

void TEmail::Compose(const TMailMessage& message)
{
    std::string attachments;
    for (const std::string& file : message.Attachments)
        attachments += (attachments.empty() ? "" : ",") + file;
    ComposeMail(message.To, message.Bcc, message.FromAddress,
                message.FromCompany.empty() ? Sender.Company : message.FromCompany,
                message.FromName.empty() ? Sender.Name : message.FromName, message.Body, attachments,
                message.Subject);
    // A file name with a comma would not survive the one-text form: keep the list as given.
    Attachments = message.Attachments;
}

void TEmail::ComposeReport(const std::string& documentFile, std::string_view imageList,
                           const std::string& companyAddress)
{
    TMailMessage m = ReportMailMessage(documentFile, imageList);
    m.FromName = Sender.Name;
    m.FromCompany = Sender.Company;
    m.FromAddress = ReportSenderAddress(Sender, companyAddress);
    Compose(m);
    // Compose takes empty texts as "keep": an empty stored name or company stays empty.
    Sender.Name = m.FromName;
    Sender.Company = m.FromCompany;
}

void TEmail::AddAttachments(const std::vector<std::string>& files)
{
    for (const std::string& file : files)
        if (!file.empty() && std::find(Attachments.begin(), Attachments.end(), file) == Attachments.end())
            Attachments.push_back(file);
}

void TEmail::RemoveAttachment(std::size_t index)
{
    if (index < Attachments.size())
        Attachments.erase(Attachments.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string TEmail::AttachmentToOpen(std::size_t index) const
{
    return index < Attachments.size() ? Attachments[index] : std::string();
}

void TEmail::ToggleProtocol()
{
    Sender.Protocol =
        Sender.Protocol == TMailProtocol::Smtp ? TMailProtocol::MailClient : TMailProtocol::Smtp;
}

std::string TEmail::ProtocolText() const
{
    return Sender.Protocol == TMailProtocol::Smtp ? kSmtpProtocolText : kClientProtocolText;
}

TMailMessage TEmail::Message() const
{
    TMailMessage m;
    m.To = To;
    m.Bcc = Bcc;
    m.Subject = Subject;
    m.Body = Body;
    m.Attachments = Attachments;
    m.FromName = Sender.Name;
    m.FromCompany = Sender.Company;
    m.FromAddress = Sender.Address;
    return m;
}

bool TEmail::Send()
{
    setStatus(kBusyStatus);
    const TMailMessage message = Message();
    if (Sender.Protocol == TMailProtocol::Smtp) {
        lastResult_ = transport_.SendSmtp(message, ReadSmtpSettings(common_).Settings);
    } else {
        lastResult_ = transport_.SendWithClient(message);
        if (!lastResult_.Sent && OnBeep)
            OnBeep();
    }
    std::string status = lastResult_.Sent ? kReadyStatus : lastResult_.Error;
    if (status.empty())
        status = kMailClientError;
    if (!EndsWithText(status, "..."))
        status += "...";
    setStatus(status);
    return lastResult_.Sent;
}

std::string TEmail::FailureText() const
{
    return lastResult_.Sent || status_ == kReadyStatus || status_ == kBusyStatus ? std::string() : status_;
}

void TEmail::Close(ISettingsStore* programSettings, const TWindowPlace* place)
{
    WriteMailSender(common_, Sender);
    SaveMailSettingsFile(common_);
    if (programSettings && place) {
        Place.Place = *place;
        Place.Store(*programSettings);
    }
}

void TEmail::setStatus(std::string text)
{
    status_ = std::move(text);
    if (OnStatus)
        OnStatus(status_);
}

} // namespace zmk
