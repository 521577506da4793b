#include "update/ControlFileJson.h"

#include <cstdio>

#include "core/Json.h"
#include "core/Text.h"

namespace orvane {

namespace {

// Writes "name": value pairs of one object, with commas and indentation.
class Object {
public:
    Object(std::string& out, int indent) : out_(out), indent_(indent) { out_ += "{"; }
    void Text(const char* name, const std::wstring& value) { Key(name) += JsonString(value); }
    void Int(const char* name, long long value) { Key(name) += std::to_string(value); }
    void Flag(const char* name, bool value) { Key(name) += value ? "true" : "false"; }
    std::string& Key(const std::string& name) {
        out_ += first_ ? "\n" : ",\n";
        first_ = false;
        out_.append(static_cast<size_t>(indent_ + 2), ' ');
        return out_ += "\"" + name + "\": ";
    }
    void Close() {
        if (!first_) {
            out_ += "\n";
            out_.append(static_cast<size_t>(indent_), ' ');
        }
        out_ += "}";
    }

private:
    std::string& out_;
    int indent_;
    bool first_ = true;
};

void FileSection(std::string& out, int indent, const TControlFileValues::File& f) {
    Object o(out, indent);
    o.Text("url", f.url);
    o.Text("localversion", f.localversion);
    o.Text("newversion", f.newversion);
    o.Int("newsize", f.newsize);
    o.Int("newchecksum", f.newchecksum);
    o.Text("customversion", f.customversion);
    o.Text("date", f.date);
    o.Text("time", f.time);
    o.Text("descr", f.descr);
    o.Text("targetdir", f.targetdir);
    o.Flag("compressed", f.compressed);
    o.Int("filesize", f.filesize);
    o.Flag("mandatory", f.mandatory);
    o.Flag("preselect", f.preselect);
    o.Flag("hidden", f.hidden);
    o.Text("sha256", f.sha256);
    o.Close();
}

void Entry(std::string& out, int indent, const TFileDescription& d) {
    Object o(out, indent);
    o.Flag("Compressed", d.Compressed);
    o.Int("NewCheckSum", d.NewCheckSum);
    o.Int("NewSize", d.NewSize);
    o.Text("URL", d.URL);
    o.Text("TargetDir", d.TargetDir);
    o.Text("LocalVersion", d.LocalVersion);
    o.Text("NewVersion", d.NewVersion);
    o.Text("Description", d.Description);
    o.Text("NewCustomVer", d.NewCustomVer);
    o.Int("FileSize", d.FileSize);
    o.Text("NewDate", d.NewDate);
    o.Text("NewTime", d.NewTime);
    o.Flag("Mandatory", d.Mandatory);
    o.Flag("Preselect", d.Preselect);
    o.Flag("Hidden", d.Hidden);
    o.Flag("Selected", d.Selected);
    o.Text("Sha256", d.Sha256);
    o.Close();
}

}  // namespace

std::vector<TFileDescription> FileEntriesAsWritten(const TControlFileValues& values) {
    std::vector<TFileDescription> entries;
    for (const auto& f : values.files)
        entries.push_back(MakeFileDescription(f, [](const std::wstring& v) { return v; }));
    return entries;
}

std::string ControlFileJson(const TControlFileValues& v, const std::vector<TFileDescription>& entries) {
    std::string out;
    Object root(out, 0);
    {
        Object o(root.Key("update"), 2);
        o.Text("signature", v.update.signature);
        o.Text("descr", v.update.descr);
        o.Text("date", v.update.date);
        o.Text("time", v.update.time);
        o.Text("localversion", v.update.localversion);
        o.Text("unconditional", v.update.unconditional);
        o.Text("newversion", v.update.newversion);
        o.Int("newsize", v.update.newsize);
        o.Int("newchecksum", v.update.newchecksum);
        o.Close();
    }
    {
        Object o(root.Key("application"), 2);
        o.Flag("appupdate", v.application.appupdate);
        o.Text("appname", v.application.appname);
        o.Text("appparam", v.application.appparam);
        o.Text("appcomps", v.application.appcomps);
        o.Flag("silentrestart", v.application.silentrestart);
        o.Close();
    }
    {
        Object o(root.Key("action"), 2);
        o.Text("msg", v.action.msg);
        o.Text("htmldlg", v.action.htmldlg);
        o.Text("runbefore", v.action.runbefore);
        o.Text("runbeforeparam", v.action.runbeforeparam);
        o.Text("showURL", v.action.showURL);
        o.Text("query", v.action.query);
        o.Text("updateURL", v.action.updateURL);
        o.Text("runafter", v.action.runafter);
        o.Text("runafterparam", v.action.runafterparam);
        o.Close();
    }
    {
        Object o(root.Key("custom"), 2);
        o.Text("validatemsg", v.custom.validatemsg);
        o.Text("validateparam", v.custom.validateparam);
        o.Text("processmsg", v.custom.processmsg);
        o.Text("processparam", v.custom.processparam);
        o.Close();
    }
    // The file address comes from the section with the language suffix, the dialog texts never do.
    auto texts = [&](const wchar_t* section, const std::wstring& file,
                     std::initializer_list<std::pair<const char*, const std::wstring*>> captions) {
        if (!v.languageID.empty()) {
            Object o(root.Key(ToUtf8(section + v.languageID)), 2);
            o.Text("file", file);
            o.Close();
        }
        Object o(root.Key(ToUtf8(section)), 2);
        if (v.languageID.empty()) o.Text("file", file);
        for (const auto& [name, value] : captions) o.Text(name, *value);
        o.Close();
    };
    texts(L"whatsnew", v.whatsnew.file,
          {{"caption", &v.whatsnew.caption}, {"okbtn", &v.whatsnew.okbtn}, {"cancelbtn", &v.whatsnew.cancelbtn}});
    texts(L"eula", v.eula.file,
          {{"caption", &v.eula.caption},
           {"okbtn", &v.eula.okbtn},
           {"accept", &v.eula.accept},
           {"notaccept", &v.eula.notaccept}});
    {
        Object o(root.Key("files"), 2);
        o.Int("count", v.count);
        o.Close();
    }
    for (size_t i = 0; i < v.files.size(); ++i) FileSection(root.Key("file" + std::to_string(i + 1)), 2, v.files[i]);
    std::string& list = root.Key("fileEntries");
    list += "[";
    for (size_t i = 0; i < entries.size(); ++i) {
        list += i == 0 ? "\n    " : ",\n    ";
        Entry(list, 4, entries[i]);
    }
    list += entries.empty() ? "]" : "\n  ]";
    root.Close();
    return out + "\n";
}

}  // namespace orvane
