#pragma once

// The crash dialog's title, control identifiers and captions, shared with the tests that drive it.

namespace orvane::crash::dlg {

inline constexpr const wchar_t* kTitle = L"Orvane - Rapport d'incident";

enum : int {
    lblWhat = 100,
    bbtDetails,
    memDetails,
    imgScreenshot,
    lblFiles,
    lstFiles,
    lblName,
    edtName,
    lblEmail,
    edtEmail,
    lblDoing,
    memDoing,
    bbtSend,
    bbtSave,
    bbtClose,
    lblStatus,
};

inline constexpr const wchar_t* kDetailsShow = L"&Détails >>";
inline constexpr const wchar_t* kDetailsHide = L"<< &Détails";
inline constexpr const wchar_t* kFiles = L"Fichiers du rapport (rien ne part sans votre accord) :";
inline constexpr const wchar_t* kName = L"&Nom :";
inline constexpr const wchar_t* kEmail = L"&E-mail :";
inline constexpr const wchar_t* kDoing = L"&Ce que vous faisiez :";
inline constexpr const wchar_t* kSend = L"En&voyer par e-mail";
inline constexpr const wchar_t* kSave = L"Enre&gistrer sous...";
inline constexpr const wchar_t* kClose = L"&Fermer";
inline constexpr const wchar_t* kSaved = L"Rapport enregistré dans ";
inline constexpr const wchar_t* kSaveFailed = L"Le rapport n'a pas pu être enregistré : ";

}  // namespace orvane::crash::dlg
