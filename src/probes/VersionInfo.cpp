#include "probes/VersionInfo.h"

namespace orvane {

namespace {

TRvVersionNumber Split(std::uint32_t ms, std::uint32_t ls) {
    return {static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms & 0xFFFF),
            static_cast<std::uint16_t>(ls >> 16), static_cast<std::uint16_t>(ls & 0xFFFF)};
}

}  // namespace

std::wstring TRvVersionNumber::Text() const {
    return std::to_wstring(V1) + L'.' + std::to_wstring(V2) + L'.' + std::to_wstring(V3) + L'.' + std::to_wstring(V4);
}

TRvVersionInfo::TRvVersionInfo(const IVersionResource& source) : source_(source) {
    SetFileName({});
}

void TRvVersionInfo::SetFileName(const std::wstring& fileName) {
    fFileName = fileName.empty() ? source_.OwnExecutablePath() : fileName;
    ReadVersionInfo();
}

TRvVersionNumber TRvVersionInfo::FileVersionNumber() const {
    return Split(fFixedFileInfo.dwFileVersionMS, fFixedFileInfo.dwFileVersionLS);
}

TRvVersionNumber TRvVersionInfo::ProductVersionNumber() const {
    return Split(fFixedFileInfo.dwProductVersionMS, fFixedFileInfo.dwProductVersionLS);
}

void TRvVersionInfo::SetCurrentTranslation(int index) {
    fCurrentTranslation = (index >= 0 && index < fNumTranslations) ? index : -1;
}

std::uint16_t TRvVersionInfo::LanguageCode() const {
    return fCurrentTranslation < 0 ? 0 : fPTransBuffer[fCurrentTranslation].language;
}

std::uint16_t TRvVersionInfo::CharSetCode() const {
    return fCurrentTranslation < 0 ? 0 : fPTransBuffer[fCurrentTranslation].codePage;
}

void TRvVersionInfo::ClearInfo() {
    fHaveInfo = false;
}

void TRvVersionInfo::ReadVersionInfo() {
    ClearInfo();
    fFixedFileInfo = {};
    fNumTranslations = 0;
    fCurrentTranslation = -1;
    fPTransBuffer.clear();

    const std::optional<TVersionBlock> block = source_.Read(fFileName);
    if (!block) return;
    fHaveInfo = true;
    if (block->fixedInfo) fFixedFileInfo = *block->fixedInfo;
    fPTransBuffer = block->translations;
    fNumTranslations = static_cast<int>(fPTransBuffer.size());
    SetCurrentTranslation(0);
}

std::wstring GetFileVersionText(const IFileSystem& files, const IVersionResource& versions, const std::wstring& path) {
    if (!files.FileExists(path)) return kFileNotFound;
    TRvVersionInfo info(versions);
    info.SetFileName(path);
    return info.FileVersionNumber().Text();
}

}  // namespace orvane
