#include "shell/WorkstationReport.h"

#include <algorithm>
#include <cwctype>

#include "core/Json.h"
#include "core/Text.h"
#include "probes/EnvironmentVariables.h"
#include "probes/VersionsReport.h"
#include "shell/ReportText.h"
#include "update/HostProbes.h"

namespace orvane {

namespace {

bool NameSaysSecret(std::wstring name) {
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    for (const wchar_t* word : {L"password", L"passwd", L"pwd", L"secret"})
        if (name.find(word) != std::wstring::npos) return true;
    return false;
}

bool IsNameChar(wchar_t c) {
    return std::iswalnum(c) || c == L'_' || c == L'-' || c == L'.' || c == L':';
}

// name="value" and name='value' anywhere on the line.
std::wstring MaskAttributes(const std::wstring& line) {
    std::wstring out;
    size_t i = 0;
    while (i < line.size()) {
        const size_t equals = line.find(L'=', i);
        if (equals == std::wstring::npos) break;
        size_t q = equals + 1;
        while (q < line.size() && (line[q] == L' ' || line[q] == L'\t')) ++q;
        size_t nameEnd = equals;
        while (nameEnd > i && (line[nameEnd - 1] == L' ' || line[nameEnd - 1] == L'\t')) --nameEnd;
        size_t nameStart = nameEnd;
        while (nameStart > i && IsNameChar(line[nameStart - 1])) --nameStart;
        if (q < line.size() && (line[q] == L'"' || line[q] == L'\'')) {
            const size_t close = line.find(line[q], q + 1);
            if (close != std::wstring::npos) {
                out.append(line, i, q + 1 - i);
                out += NameSaysSecret(line.substr(nameStart, nameEnd - nameStart)) ? L"***"
                                                                                   : line.substr(q + 1, close - q - 1);
                out += line[q];
                i = close + 1;
                continue;
            }
        }
        out.append(line, i, equals + 1 - i);
        i = equals + 1;
    }
    out.append(line, i, std::wstring::npos);
    return out;
}

std::wstring MaskLine(const std::wstring& line) {
    size_t start = 0;
    while (start < line.size() && (line[start] == L' ' || line[start] == L'\t')) ++start;
    const size_t equals = line.find(L'=');
    const bool xml = line.find(L'<') != std::wstring::npos;
    if (!xml && equals != std::wstring::npos && start < line.size() && line[start] != L';' && line[start] != L'#' &&
        line[start] != L'[') {
        if (NameSaysSecret(line.substr(start, equals - start))) return line.substr(0, equals + 1) + L"***";
        return line;
    }
    return xml ? MaskAttributes(line) : line;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.push_back(line);
            line.clear();
            if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

void Heading(std::vector<std::wstring>& out, const std::wstring& title) {
    out.push_back(L"");
    out.push_back(title);
    out.push_back(std::wstring(title.size(), L'='));
}

struct TComponentFolder {
    std::wstring path;
    std::vector<std::wstring> lines;  // file lines, then the release line, or the "introuvable" line
};
struct TComponent {
    std::wstring name;
    std::vector<TComponentFolder> folders;
};

// A section opens with an empty line, its heading and as many hyphens; "Path = " opens a folder.
std::vector<TComponent> Components(const std::vector<std::wstring>& lines) {
    std::vector<TComponent> out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() && i + 2 < lines.size() && !lines[i + 1].empty() &&
            lines[i + 2] == std::wstring(lines[i + 1].size(), L'-')) {
            out.push_back({lines[i + 1], {}});
            i += 2;
        } else if (!out.empty() && lines[i].rfind(L"Path = ", 0) == 0) {
            out.back().folders.push_back({lines[i].substr(7), {}});
        } else if (!out.empty() && !out.back().folders.empty()) {
            out.back().folders.back().lines.push_back(lines[i]);
        }
    }
    return out;
}

std::wstring Two(int n) {
    return (n < 10 ? L"0" : L"") + std::to_wstring(n);
}

}  // namespace

std::wstring ReportTime(int day, int month, int year, int hour, int minute, int second) {
    return Two(day) + L"/" + Two(month) + L"/" + std::to_wstring(year) + L" " + Two(hour) + L":" + Two(minute) + L":" +
           Two(second);
}

void FillIdentity(TWorkstationReport& report, const ISystemVersion& system, const IWorkstationIdentity& identity,
                  const IClock& clock) {
    report.program = L"Orvane " ORVANE_VERSION_TEXT;
    const LocalTime now = clock.Now();
    report.when = ReportTime(now.day, now.month, now.year, now.hour, now.minute, now.second);
    report.os = OSName(system);
    report.computer = identity.ComputerName();
    report.user = identity.UserName();
}

void GatherProbes(const TReportSources& src, TWorkstationReport& report, TConfigFilePaths& paths) {
    report.versions.clear();
    WriteVersionsReport(src.registry, src.files, src.versions,
                        [&](const std::wstring& line) { report.versions.push_back(line); });
    report.environment.clear();
    for (const std::wstring& row : EnvironmentGridRows(src.env)) {
        const size_t equals = row.find(L'=');
        report.environment.push_back(
            {row.substr(0, equals), equals == std::wstring::npos ? L"" : row.substr(equals + 1)});
    }
    report.files.assign(6, TConfigFileView{});
    const TConfigFileSources files{src.env, src.registry, src.files, src.reader, src.ansi};
    SearchConfigFiles(files, paths,
                      [&](const TConfigFileView& view) { report.files[static_cast<size_t>(view.tab)] = view; });
    for (size_t i = 0; i < report.files.size(); ++i) report.files[i].tab = static_cast<TConfigFileTab>(i);
}

std::wstring MaskSecrets(const std::wstring& text) {
    std::wstring out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        out += MaskLine(text.substr(start, end - start));
        if (end == text.size()) break;
        size_t next = end + 1;
        if (text[end] == L'\r' && next < text.size() && text[next] == L'\n') ++next;
        out.append(text, end, next - end);
        start = next;
    }
    return out;
}

std::wstring ReportText(const TWorkstationReport& r) {
    std::vector<std::wstring> out;
    out.push_back(r.program + L" - " + r.when);
    Heading(out, L"Poste de travail");
    out.push_back(L"Système\t" + r.os);
    out.push_back(L"Ordinateur\t" + r.computer);
    out.push_back(L"Utilisateur\t" + r.user);

    Heading(out, L"Versions");
    out.insert(out.end(), r.versions.begin(), r.versions.end());

    Heading(out, L"Variables d'environnement");
    for (const auto& [name, value] : r.environment) out.push_back(name + L"\t" + value);

    Heading(out, L"Fichiers");
    for (const TConfigFileView& f : r.files)
        out.push_back(std::wstring(ConfigFileTabCaption(f.tab)) + L"\t" + f.pathBox);

    Heading(out, L"Serveurs");
    if (!r.serversListed)
        out.push_back(L"Non vérifiés.");
    else if (r.servers.empty())
        out.push_back(L"Aucun serveur.");
    for (const TServerCheck& s : r.servers) {
        std::vector<std::wstring> cells = {s.name};
        if (r.pinged) cells.push_back(s.reply);
        if (r.portsChecked) {
            cells.push_back(s.port);
            cells.push_back(s.tcp);
        }
        out.push_back(TabSeparatedLines({cells}));
    }

    for (const TConfigFileView& f : r.files) {
        if (!f.found) continue;
        Heading(out, std::wstring(ConfigFileTabCaption(f.tab)) + L" (" + f.pathBox + L")");
        for (const std::wstring& line : Lines(MaskSecrets(f.text))) out.push_back(line);
    }

    std::wstring text;
    for (const std::wstring& line : out) text += line + L"\r\n";
    return text;
}

std::string ReportJson(const TWorkstationReport& r) {
    std::string j = "{\n";
    j += "  \"program\": " + JsonString(r.program) + ",\n";
    j += "  \"time\": " + JsonString(r.when) + ",\n";
    j += "  \"workstation\": {\"os\": " + JsonString(r.os) + ", \"computer\": " + JsonString(r.computer) +
         ", \"user\": " + JsonString(r.user) + "},\n";
    j += "  \"versions\": [";
    for (size_t i = 0; i < r.versions.size(); ++i) j += (i ? ", " : "") + JsonString(r.versions[i]);
    j += "],\n";

    // The versions report's sections again, as components with their folders and files.
    j += "  \"components\": [";
    const std::vector<TComponent> components = Components(r.versions);
    for (size_t c = 0; c < components.size(); ++c) {
        j += std::string(c ? ",\n" : "\n") + "    {\"name\": " + JsonString(components[c].name) + ", \"folders\": [";
        for (size_t f = 0; f < components[c].folders.size(); ++f) {
            const TComponentFolder& folder = components[c].folders[f];
            j += std::string(f ? ", " : "") + "{\"folder\": " + JsonString(folder.path);
            std::string files, release, missing;
            for (const std::wstring& line : folder.lines) {
                const size_t eq = line.find(L" = ");
                if (eq != std::wstring::npos)
                    files += std::string(files.empty() ? "" : ", ") + "{\"name\": " + JsonString(line.substr(0, eq)) +
                             ", \"version\": " + JsonString(line.substr(eq + 3)) + "}";
                else if (line.rfind(L"Fichier \"", 0) == 0)
                    missing = JsonString(line);
                else
                    release = JsonString(line);
            }
            j += ", \"found\": " + std::string(missing.empty() ? "true" : "false") + ", \"files\": [" + files + "]";
            if (!release.empty()) j += ", \"release\": " + release;
            if (!missing.empty()) j += ", \"missing\": " + missing;
            j += "}";
        }
        j += "]}";
    }
    j += "\n  ],\n";

    j += "  \"environment\": {";
    for (size_t i = 0; i < r.environment.size(); ++i)
        j += (i ? ", " : "") + JsonString(r.environment[i].first) + ": " + JsonString(r.environment[i].second);
    j += "},\n";

    j += "  \"files\": [";
    for (size_t i = 0; i < r.files.size(); ++i) {
        const TConfigFileView& f = r.files[i];
        j += std::string(i ? ",\n" : "\n") + "    {\"tab\": " + JsonString(ConfigFileTabCaption(f.tab)) +
             ", \"found\": " + (f.found ? "true" : "false") + ", \"path\": " + JsonString(f.pathBox) +
             ", \"text\": " + (f.found ? JsonString(MaskSecrets(f.text)) : std::string("null")) + "}";
    }
    j += "\n  ],\n";

    j += "  \"servers\": [";
    for (size_t i = 0; i < r.servers.size(); ++i) {
        const TServerCheck& s = r.servers[i];
        j += std::string(i ? ",\n" : "\n") + "    {\"name\": " + JsonString(s.name);
        if (r.pinged) j += ", \"ping\": " + JsonString(s.reply);
        if (r.portsChecked)
            j += ", \"port\": " + (s.port.empty() ? std::string("null") : ToUtf8(s.port)) +
                 ", \"tcp\": " + (s.tcp.empty() ? std::string("null") : JsonString(s.tcp));
        j += "}";
    }
    j += r.servers.empty() ? "]\n" : "\n  ]\n";
    j += "}\n";
    return j;
}

}  // namespace orvane
