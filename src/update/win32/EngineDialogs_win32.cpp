#include "update/win32/EngineDialogs_win32.h"

#include <urlmon.h>

#include <memory>

#include "core/Error.h"
#include "platform/win32/Handle.h"
#include "update/win32/TextDialog_win32.h"

namespace orvane {

namespace {

using ShowHtmlDialogFn = HRESULT(WINAPI*)(HWND, IMoniker*, VARIANT*, WCHAR*, VARIANT*);
using CreateUrlMonikerFn = HRESULT(WINAPI*)(IMoniker*, LPCWSTR, IMoniker**);

// An export of a library loaded for the call; none when either is missing.
template <typename Fn>
Fn Export(const win32::unique_hmodule& library, const char* name) {
    return library ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library.get(), name))) : nullptr;
}

// A VARIANT cleared whatever it ends up holding.
struct TVariant {
    VARIANT value;
    TVariant() { VariantInit(&value); }
    ~TVariant() { VariantClear(&value); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
};

struct ReleaseMoniker {
    void operator()(IMoniker* m) const {
        if (m) m->Release();
    }
};

}  // namespace

std::wstring TWin32EngineDialogs::Title() const {
    wchar_t title[256] = L"";
    if (owner_) GetWindowTextW(GetAncestor(owner_, GA_ROOT), title, 256);
    return title;
}

void TWin32EngineDialogs::Inform(const std::wstring& text) {
    MessageBoxW(owner_, text.c_str(), Title().c_str(), MB_OK | MB_ICONINFORMATION);
}

bool TWin32EngineDialogs::AskInformation(const std::wstring& text) {
    return MessageBoxW(owner_, text.c_str(), Title().c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

bool TWin32EngineDialogs::Confirm(const std::wstring& text) {
    return MessageBoxW(owner_, text.c_str(), Title().c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool TWin32EngineDialogs::ShowWhatsNew(const TTextDialogContent& content, const std::wstring& okButton,
                                       const std::wstring& cancelButton) {
    return ShowTextDialog(owner_, content, {false, okButton, cancelButton, {}, {}});
}

bool TWin32EngineDialogs::ShowLicence(const TTextDialogContent& content, const std::wstring& okButton,
                                      const std::wstring& accept, const std::wstring& notAccept) {
    return ShowTextDialog(owner_, content, {true, okButton, {}, accept, notAccept});
}

void TWin32EngineDialogs::ShowHtml(const std::wstring& url) {
    // Both libraries are loaded only for the dialog: systems without an HTML engine still run the update.
    const win32::unique_hmodule library(LoadLibraryW(L"MSHTML.DLL"));
    const win32::unique_hmodule monikers(LoadLibraryW(L"urlmon.dll"));
    const auto show = Export<ShowHtmlDialogFn>(library, "ShowHTMLDialog");
    const auto createMoniker = Export<CreateUrlMonikerFn>(monikers, "CreateURLMoniker");
    if (!show || !createMoniker) throw AppError(L"The HTML dialog is not available on this system: " + url);
    IMoniker* raw = nullptr;
    if (FAILED(createMoniker(nullptr, url.c_str(), &raw)) || !raw) throw AppError(L"The page cannot be shown: " + url);
    const std::unique_ptr<IMoniker, ReleaseMoniker> moniker(raw);
    TVariant in, out;
    in.value.vt = VT_BSTR;
    in.value.bstrVal = SysAllocString(L"");
    const HRESULT hr = show(owner_, moniker.get(), &in.value, nullptr, &out.value);
    if (FAILED(hr)) throw AppError(L"The page cannot be shown: " + url);
}

}  // namespace orvane
