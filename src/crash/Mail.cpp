#include "crash/Mail.h"

#include "core/Text.h"

namespace orvane::crash {

namespace {

std::wstring PercentEncode(const std::wstring& text, char keep = 0) {
    static const char* hex = "0123456789ABCDEF";
    std::wstring out;
    for (const unsigned char c : ToUtf8(text)) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || (keep && c == keep);
        if (plain) {
            out += static_cast<wchar_t>(c);
        } else {
            out += L'%';
            out += static_cast<wchar_t>(hex[c >> 4]);
            out += static_cast<wchar_t>(hex[c & 15]);
        }
    }
    return out;
}

std::wstring OrDash(const std::wstring& s) {
    return s.empty() ? L"-" : s;
}

}  // namespace

std::wstring MailSubject(const TCrashFacts& f) {
    return L"Orvane " + f.version + L" : rapport d'incident " + HexCode(f.code) +
           (f.where.module.empty() ? L"" : L" dans " + f.where.module);
}

std::wstring MailBody(const TContact& c, const TCrashFacts& f, const std::vector<std::wstring>& files) {
    std::wstring body;
    body += L"Nom : " + OrDash(c.name) + L"\r\n";
    body += L"E-mail : " + OrDash(c.email) + L"\r\n";
    body += L"Ce que je faisais :\r\n" + OrDash(c.doing) + L"\r\n\r\n";
    body += CrashSentence(f) + L"\r\n";
    body += L"Code " + HexCode(f.code) + L", adresse " + FrameText(f.where, f.pointerBits) + L", version " + f.version +
            L", " + f.osVersion + L"\r\n\r\n";
    body += L"Fichiers du rapport :\r\n";
    for (const std::wstring& file : files) body += L"  " + file + L"\r\n";
    return body;
}

std::wstring MailtoUrl(const std::wstring& to, const std::wstring& subject, const std::wstring& body) {
    return L"mailto:" + PercentEncode(to, '@') + L"?subject=" + PercentEncode(subject) + L"&body=" +
           PercentEncode(body);
}

TMailRoute SendReportMail(IMailClient& client, IShell& shell, const TMailMessage& message, const std::wstring& folder) {
    const IMailClient::Result result = client.Send(message);
    if (result == IMailClient::Result::Sent || result == IMailClient::Result::Cancelled) return TMailRoute::MailClient;
    shell.Open(MailtoUrl(message.to, message.subject, message.body));
    shell.Open(folder);
    return TMailRoute::Mailto;
}

std::wstring MailRouteText(TMailRoute route) {
    if (route == TMailRoute::MailClient) return L"Le message a été remis à votre messagerie, avec les fichiers joints.";
    return L"Aucune messagerie n'a répondu : un message a été ouvert (mailto:) et le dossier du rapport "
           L"est affiché, joignez-y ses fichiers.";
}

}  // namespace orvane::crash
