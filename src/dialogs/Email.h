// The e-mail window without its widgets: a message (recipients, blind copies, subject, body,
// attachments) with the sender, the choice between the desktop's mail client and an SMTP
// server, the status texts, and "Send". The message for a report comes from the print
// preview's "Email..." command (ReportMailMessage). The sender and the protocol are shared with
// the maker's other programs (section "User" of the common settings): read when the window is
// made, written back when it closes.
//
// A failed send keeps the window open with the reason in its status bar, so the user can
// correct the address or the server settings and send again; only a message that went out
// closes the window.
#pragma once

#include "dialogs/DialogForm.h"
#include "platform/MailSend.h"
#include "platform/MailSettings.h"
#include "platform/SettingsStore.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zmk {

struct TRegisteredUser;

inline constexpr std::string_view kEmailWindow = "EmailForm";

inline constexpr const char* kBusyStatus = "BUSY...";
inline constexpr const char* kReadyStatus = "Ready...";
/// The second status panel for each protocol. The mail client's text names what actually takes
/// the message here, the desktop's own e-mail program (through xdg-email).
inline constexpr const char* kSmtpProtocolText = "SMTP - Simple Mail Transfer Protocol";
inline constexpr const char* kClientProtocolText = "Mail client - Desktop e-mail program";

/// The message the print preview's "Email..." composes for a document and its image list
/// (full paths separated by commas): subject "Report", the two body paragraphs naming the
/// document's file, the document then its images as attachments. The sender is left empty.
TMailMessage ReportMailMessage(const std::string& documentFile, std::string_view imageList);

/// The address a report goes out from: the sender's own address when one is stored, else the
/// company's address from the maker's contact details.
std::string ReportSenderAddress(const TMailSender& stored, const std::string& companyAddress);

/// The list of an image list or attachment text: entries separated by commas, blanks trimmed,
/// empty ones dropped.
std::vector<std::string> SplitFileList(std::string_view list);

class TEmail
{
public:
    /// Made once per program run: reads the sender and protocol from the common settings, with
    /// the registered owner and organisation and the desktop's address as defaults. The
    /// transport must outlive the form.
    TEmail(ISettingsStore& common, const TRegisteredUser& user, std::string defaultAddress,
           IMailTransport& transport);
    TEmail(const TEmail&) = delete;
    TEmail& operator=(const TEmail&) = delete;

    /// Fills the window before it is shown; attachments as one comma-separated text. An empty
    /// sender address keeps the one the window holds.
    void ComposeMail(const std::string& to, const std::string& bcc, const std::string& fromAddress,
                     const std::string& company, const std::string& fromName, const std::string& body,
                     const std::string& attachments, const std::string& subject);
    /// Fills the window from a composed message (recipients, subject, body, attachments; the
    /// sender's fields where the message has them).
    void Compose(const TMailMessage& message);

    /// The print preview's "Email...": the report message for a document and its image list,
    /// from the sender's name and company as stored, and from the sender's own address or else
    /// the company's address (the maker's contact details).
    void ComposeReport(const std::string& documentFile, std::string_view imageList,
                       const std::string& companyAddress);

    /// Files dropped on the window or chosen through the "Attachments:" label, added at the end
    /// (a file already listed is not added twice).
    void AddAttachments(const std::vector<std::string>& files);
    /// Removes the attachment at an index; nothing happens for an index out of range.
    void RemoveAttachment(std::size_t index);
    /// The file a double click on an attachment opens; "" for an index out of range.
    std::string AttachmentToOpen(std::size_t index) const;

    /// The "Protocol" button: SMTP <-> the desktop's mail client.
    void ToggleProtocol();
    /// The second status panel's text for the protocol.
    std::string ProtocolText() const;

    /// "Send": shows "BUSY..." (through OnStatus, so the window can paint it before the
    /// send blocks), sends the message as it stands, then shows "Ready..." or the failure.
    /// SMTP reads the server settings from the common settings at this moment. Returns
    /// whether the message went out; CloseAfterSend() says whether the window closes.
    bool Send();
    /// The outcome of the last send.
    const TSendResult& LastResult() const { return lastResult_; }
    /// Whether the window closes after the last send: only when the message went out.
    bool CloseAfterSend() const { return lastResult_.Sent; }

    /// The window closes: the sender and protocol are written back to the common settings, and
    /// the window's place under its name.
    void Close(ISettingsStore* programSettings = nullptr, const TWindowPlace* place = nullptr);

    /// The message as the fields hold it.
    TMailMessage Message() const;

    /// The status bar's first panel.
    const std::string& Status() const { return status_; }
    /// Why the last send failed, in full (the status bar is too narrow for a long reason):
    /// shown beside the message until the next send or the next message; "" otherwise.
    std::string FailureText() const;
    /// Told every time the status changes (the window repaints its status bar).
    std::function<void(const std::string&)> OnStatus;
    /// The sound of a failed client hand-over.
    std::function<void()> OnBeep;

    // ---- the fields -------------------------------------------------------------------------
    std::string To;
    std::string Bcc;
    std::string Subject;
    std::string Body;
    std::vector<std::string> Attachments;
    TMailSender Sender; ///< name, company, address and protocol

    TDialogPlace Place{kEmailWindow};

private:
    void setStatus(std::string text);

    ISettingsStore& common_;
    IMailTransport& transport_;
    TSendResult lastResult_;
    std::string status_ = kReadyStatus;
};

} // namespace zmk
