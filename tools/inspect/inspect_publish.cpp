#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "Inspect.h"
#include "core/Error.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "update/Checksum.h"
#include "update/Release.h"
#include "update/Sha256.h"
#include "update/Versions.h"

#ifdef _WIN32
#include "platform/win32/Win32Platform.h"
#endif

namespace orvane::inspect {

namespace {

namespace fs = std::filesystem;

std::wstring WideOf(const fs::path& path) {
    const std::u8string u8 = path.u8string();
    return FromUtf8(std::string(u8.begin(), u8.end()));
}

// Keys of a file's entry computed from its bytes: the SHA-256 the engine checks before it installs
// the file (and requires when it verifies signatures).
std::vector<std::pair<std::wstring, std::wstring>> ExtraFileKeys(const fs::path& file) {
    const auto digest = Sha256FileHexPortable(WideOf(file));
    if (!digest) throw AppError(L"cannot read " + WideOf(file));
    return {{L"sha256", FromUtf8(*digest)}};
}

// The file version of its version resource; without resources (a native build) none.
std::wstring FileVersionText(const fs::path& file) {
#ifdef _WIN32
    static const win32::TWin32VersionResource resources;
    const auto block = resources.Read(WideOf(file));
    if (!block || !block->fixedInfo || block->fixedInfo->dwSignature != 0xFEEF04BD) return {};
    return VersionToText(
        {std::int32_t(block->fixedInfo->dwFileVersionMS), std::int32_t(block->fixedInfo->dwFileVersionLS)});
#else
    (void)file;
    return {};
#endif
}

// The files of the folder itself (subfolders are not published), without the control file and the
// delivered copies an earlier run wrote.
std::vector<TReleaseFile> MeasureFolder(const fs::path& folder, const std::wstring& controlName) {
    std::vector<TReleaseFile> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::wstring name = WideOf(entry.path().filename());
        // The control file and its signature describe the release; they are not part of it.
        if (EqualsNoCaseAscii(name, controlName) || EqualsNoCaseAscii(name, controlName + L".sig") ||
            IsDeliveredCopyName(name))
            continue;
        if (entry.file_size() > 0x7FFFFFFF) throw AppError(name + L" is larger than a control file can describe");
        const std::wstring path = WideOf(entry.path());
        TReleaseFile f{name, FileSizeOf(path), FileCRC32(path), FileVersionText(entry.path()),
                       ExtraFileKeys(entry.path())};
        files.push_back(std::move(f));
    }
    return files;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) throw AppError(L"cannot read " + WideOf(path));
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (!out) throw AppError(L"cannot write " + WideOf(path));
}

int Publish(const TCommandLine& line) {
    const auto version = line.Value("version");
    const auto url = line.Value("url");
    if (!version || !url) throw TUsageError("--version and --url are required");
    if (!IsFourPartVersion(FromUtf8(*version))) throw TUsageError("--version wants four numbers, as 2.0.0.0");
    const std::wstring controlName = FromUtf8(line.Value("name").value_or("ORVANE.INF"));
    if (controlName.empty() || controlName.find_first_of(L"/\\:") != std::wstring::npos)
        throw TUsageError("--name wants a plain file name");

    const fs::path folder = PathOf(line.operands[0]);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        std::fprintf(stderr, "orvane-inspect: %s is not a folder\n", line.operands[0].c_str());
        return 1;
    }
    try {
        TRelease release;
        release.version = FromUtf8(*version);
        release.baseUrl = FromUtf8(*url);
        release.descr = FromUtf8(line.Value("descr").value_or("Orvane " + *version));
        release.program = FromUtf8(line.Value("program").value_or("orvane.exe"));
        release.files = MeasureFolder(folder, controlName);
        const std::wstring text = ReleaseControlText(release);
        // Programs are served as the copies the restart helper installs. Written, not copied: the
        // C++ library of the Windows build refuses to copy over a copy of an earlier run.
        for (const TReleaseFile& f : release.files)
            if (IsApplicationComponent(f.name))
                WriteFile(folder / NativePath(DeliveredCopyName(f.name)), ReadBytes(folder / NativePath(f.name)));
        WriteFile(folder / NativePath(controlName), ReleaseControlBytes(text));
        // A signature of the earlier control file can only be refused now: the release is signed anew.
        std::error_code ec;
        if (fs::remove(folder / NativePath(controlName + L".sig"), ec))
            std::printf("%s.sig removed: sign the new control file\n", ToUtf8(controlName).c_str());
        std::printf("%s: version %s, %zu files\n", ToUtf8(WideOf(folder / NativePath(controlName))).c_str(),
                    version->c_str(), release.files.size());
    } catch (const AppError& e) {
        std::fprintf(stderr, "orvane-inspect: %s\n", ToUtf8(e.Message()).c_str());
        return 1;
    } catch (const fs::filesystem_error& e) {
        std::fprintf(stderr, "orvane-inspect: %s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace

const TCommand& PublishCommand() {
    static const TCommand command{
        {"publish",
         "FOLDER",
         "write the control file of a release folder, offering its program to installed copies",
         {{"version", true, "A.B.C.D  the version offered (required)"},
          {"url", true, "BASE  where the folder's files are served (required)"},
          {"descr", true, "TEXT  what the wizard and the news show (default \"Orvane A.B.C.D\")"},
          {"name", true, "FILE  the control file's name (default ORVANE.INF)"},
          {"program", true, "FILE  the program that is replaced and restarted (default orvane.exe)"}},
         1,
         1},
        Publish};
    return command;
}

}  // namespace orvane::inspect
