#pragma once

// The e-mail that carries a crash report: what the user typed, the files, and the mailto: form
// used when no mail client takes the message.

#include <string>
#include <vector>

#include "crash/CrashReport.h"
#include "platform/Shell.h"

namespace orvane::crash {

struct TContact {
    std::wstring name;
    std::wstring email;
    std::wstring doing;  // what the user was doing
};

std::wstring MailSubject(const TCrashFacts& facts);
// The contact fields, then the report's summary and the files to attach (by name).
std::wstring MailBody(const TContact& contact, const TCrashFacts& facts, const std::vector<std::wstring>& files);
// "mailto:TO?subject=...&body=..." with UTF-8 percent-encoding (RFC 6068).
std::wstring MailtoUrl(const std::wstring& to, const std::wstring& subject, const std::wstring& body);

struct TMailMessage {
    std::wstring to;
    std::wstring subject;
    std::wstring body;
    std::vector<std::wstring> attachments;  // full paths
};

// The workstation's mail client, as Simple MAPI reaches it.
class IMailClient {
public:
    virtual ~IMailClient() = default;
    enum class Result { Sent, Cancelled, NoClient, Failed };
    virtual Result Send(const TMailMessage& message) = 0;
};

enum class TMailRoute { MailClient, Mailto };

// Hands the message to the mail client; when none takes it (none installed, or it fails), opens a
// mailto: message with the subject and body and shows FOLDER so the files can be attached by hand.
// A user who cancels in the mail client has chosen: nothing else opens.
TMailRoute SendReportMail(IMailClient& client, IShell& shell, const TMailMessage& message, const std::wstring& folder);
// What the dialog says about the route taken.
std::wstring MailRouteText(TMailRoute route);

}  // namespace orvane::crash
