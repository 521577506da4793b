#include "platform/win32/LzExpand_win32.h"

#include <windows.h>

#include <string>

#include "platform/win32/Handle.h"

namespace orvane::win32 {

namespace {

using LZOpenFileAFn = INT(WINAPI*)(LPSTR, LPOFSTRUCT, WORD);
using GetExpandedNameAFn = INT(WINAPI*)(LPSTR, LPSTR);
using LZCopyFn = LONG(WINAPI*)(INT, INT);
using LZCloseFn = void(WINAPI*)(INT);

struct TLz32 {
    unique_hmodule module;
    LZOpenFileAFn open = nullptr;
    GetExpandedNameAFn expandedName = nullptr;
    LZCopyFn copy = nullptr;
    LZCloseFn close = nullptr;

    TLz32() {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        module.reset(LoadLibraryW((std::wstring(folder, length) + L"\\lz32.dll").c_str()));
        if (!module) return;
        open = Proc<LZOpenFileAFn>("LZOpenFileA");
        expandedName = Proc<GetExpandedNameAFn>("GetExpandedNameA");
        copy = Proc<LZCopyFn>("LZCopy");
        close = Proc<LZCloseFn>("LZClose");
    }
    bool Ready() const { return open && expandedName && copy && close; }

    template <typename Fn>
    Fn Proc(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module.get(), name)));
    }
};

// One LZ file handle; LZ handles are small integers, negative when none was opened.
class TLzHandle {
public:
    TLzHandle(const TLz32& lz, INT handle) : lz_(lz), handle_(handle) {}
    TLzHandle(const TLzHandle&) = delete;
    TLzHandle& operator=(const TLzHandle&) = delete;
    ~TLzHandle() {
        if (handle_ >= 0) lz_.close(handle_);
    }
    INT get() const { return handle_; }
    explicit operator bool() const { return handle_ >= 0; }

private:
    const TLz32& lz_;
    INT handle_;
};

// The path in the ANSI code page, or empty when a character has no ANSI form.
std::string Ansi(const std::wstring& path) {
    if (path.empty()) return {};
    BOOL lossy = FALSE;
    const int n =
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), out.data(), n, nullptr, &lossy);
    return lossy ? std::string() : out;
}

std::wstring Wide(const char* text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring out(static_cast<size_t>(n - 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
    return out;
}

}  // namespace

std::optional<std::wstring> TWin32LzExpand::ExpandedName(const std::wstring& path) {
    const TLz32 lz;
    std::string in = Ansi(path);
    if (!lz.Ready() || in.empty()) return std::nullopt;
    char out[MAX_PATH + 1] = {};
    if (lz.expandedName(in.data(), out) != 1) return std::nullopt;
    return Wide(out);
}

bool TWin32LzExpand::Expand(const std::wstring& source, const std::wstring& target) {
    const TLz32 lz;
    std::string in = Ansi(source), out = Ansi(target);
    if (!lz.Ready() || in.empty() || out.empty()) return false;
    OFSTRUCT inInfo = {}, outInfo = {};
    const TLzHandle from(lz, lz.open(in.data(), &inInfo, OF_READ));
    if (!from) return false;
    const TLzHandle to(lz, lz.open(out.data(), &outInfo, OF_CREATE));
    if (!to) return false;
    return lz.copy(from.get(), to.get()) >= 0;
}

}  // namespace orvane::win32
