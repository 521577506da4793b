#pragma once

// One owning wrapper for every kind of Windows handle: each kind is a one-line alias below and
// nothing is ever closed by hand.

#include <windows.h>
#include <wininet.h>

#include <bcrypt.h>  // after windows.h, whose types it uses

#include <cstdint>
#include <utility>

namespace orvane::win32 {

// INVALID is the bit pattern of the "no handle" value (0, or ~0 for INVALID_HANDLE_VALUE).
template <typename T, auto Close, std::uintptr_t InvalidBits = 0>
class unique_any {
    static T Invalid() noexcept { return (T)(InvalidBits); }

public:
    unique_any() noexcept = default;
    explicit unique_any(T value) noexcept : value_(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(std::exchange(other.value_, Invalid())) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(std::exchange(other.value_, Invalid()));
        return *this;
    }
    ~unique_any() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Invalid(); }
    void reset(T value = Invalid()) noexcept {
        if (value_ != Invalid()) Close(value_);
        value_ = value;
    }
    T release() noexcept { return std::exchange(value_, Invalid()); }
    // For out-parameters: frees the current handle and gives the slot.
    T* put() noexcept {
        reset();
        return &value_;
    }

private:
    T value_ = Invalid();
};

namespace detail {
inline void CloseKey(HKEY key) { RegCloseKey(key); }
inline void CloseFile(HANDLE handle) { CloseHandle(handle); }
inline void DeleteGdi(HGDIOBJ object) { DeleteObject(object); }
inline void DeleteFont(HFONT font) { DeleteObject(font); }
inline void DeleteDc(HDC dc) { DeleteDC(dc); }
inline void ReleaseModule(HMODULE module) { FreeLibrary(module); }
inline void DestroyWnd(HWND window) { DestroyWindow(window); }
inline void CloseFind(HANDLE find) { FindClose(find); }
inline void CloseInternet(HINTERNET handle) { InternetCloseHandle(handle); }
inline void CloseAlgorithm(BCRYPT_ALG_HANDLE algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
inline void DestroyHash(BCRYPT_HASH_HANDLE hash) { BCryptDestroyHash(hash); }
inline void DestroyCryptKey(BCRYPT_KEY_HANDLE key) { BCryptDestroyKey(key); }
} // namespace detail

using unique_hkey = unique_any<HKEY, detail::CloseKey>;
using unique_handle = unique_any<HANDLE, detail::CloseFile>;  // process, thread, event...
using unique_hfile = unique_any<HANDLE, detail::CloseFile, ~std::uintptr_t{0}>;
using unique_hfont = unique_any<HFONT, detail::DeleteFont>;
using unique_hgdiobj = unique_any<HGDIOBJ, detail::DeleteGdi>;
using unique_hdc = unique_any<HDC, detail::DeleteDc>;
using unique_hmodule = unique_any<HMODULE, detail::ReleaseModule>;
using unique_hwnd = unique_any<HWND, detail::DestroyWnd>;
using unique_hfind = unique_any<HANDLE, detail::CloseFind, ~std::uintptr_t{0}>;
using unique_hinternet = unique_any<HINTERNET, detail::CloseInternet>;
using unique_bcrypt_alg = unique_any<BCRYPT_ALG_HANDLE, detail::CloseAlgorithm>;
using unique_bcrypt_hash = unique_any<BCRYPT_HASH_HANDLE, detail::DestroyHash>;
using unique_bcrypt_key = unique_any<BCRYPT_KEY_HANDLE, detail::DestroyCryptKey>;

} // namespace orvane::win32
