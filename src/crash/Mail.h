#pragma once

// The e-mail that carries a crash report: what the user typed, the files, and the mailto: form
// used when no mail client takes the message.

#include <string>
#include <vector>

#include "crash/CrashReport.h"

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

}  // namespace orvane::crash
