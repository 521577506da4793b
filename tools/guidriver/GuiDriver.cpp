#include "GuiDriver.h"

#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/win32/Handle.h"

namespace orvane::gui {

namespace {

struct FindTopLevel {
    const std::wstring* title;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<FindTopLevel*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (find->pid && owner != find->pid) return TRUE;
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    if (*find->title != text) return TRUE;
    find->found = window;
    return FALSE;
}

struct FindChild {
    int id;
    const std::wstring* caption;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<FindChild*>(param);
    if (find->caption ? Text(window) == *find->caption : GetDlgCtrlID(window) == find->id) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

// Memory inside the target process, for the control messages that take pointers.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
        if (process_) address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    char* address() const { return static_cast<char*>(address_); }
    bool Write(size_t offset, const void* data, size_t size) {
        return WriteProcessMemory(process_.get(), address() + offset, data, size, nullptr);
    }
    bool Read(size_t offset, void* data, size_t size) {
        return ReadProcessMemory(process_.get(), address() + offset, data, size, nullptr);
    }

private:
    win32::unique_handle process_;
    void* address_ = nullptr;
    size_t size_;
};

constexpr size_t kTextChars = 4096;

std::wstring ListViewCell(HWND list, RemoteBuffer& remote, int item, int column) {
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(LVITEMW));
    request.cchTextMax = kTextChars;
    remote.Write(0, &request, sizeof(request));
    const auto length = SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(remote.address()));
    std::wstring text(kTextChars, L'\0');
    remote.Read(sizeof(LVITEMW), text.data(), kTextChars * sizeof(wchar_t));
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

HWND WaitForWindow(const std::wstring& title, DWORD pid, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        FindTopLevel find{&title, pid, nullptr};
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&find));
        if (find.found) {
            WaitIdle(find.found);
            return find.found;
        }
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

namespace {

struct FindOfClass {
    const std::wstring* className;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM param) {
    auto* f = reinterpret_cast<FindOfClass*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    if (owner != f->pid || !IsWindowVisible(window) || *f->className != name) return TRUE;
    f->found = window;
    return FALSE;
}

} // namespace

HWND WaitForWindowOfClass(const std::wstring& className, DWORD pid, DWORD timeoutMs) {
    FindOfClass find{&className, pid, nullptr};
    const DWORD start = GetTickCount();
    for (;;) {
        EnumWindows(MatchClass, reinterpret_cast<LPARAM>(&find));
        if (find.found || GetTickCount() - start >= timeoutMs) return find.found;
        Sleep(50);
    }
}

HWND FindById(HWND root, int id) {
    FindChild find{id, nullptr, nullptr};
    EnumChildWindows(root, MatchChild, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

HWND FindByCaption(HWND root, const std::wstring& caption) {
    FindChild find{0, &caption, nullptr};
    EnumChildWindows(root, MatchChild, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

bool WaitIdle(HWND window, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

void PressKey(HWND window, WORD key, std::initializer_list<WORD> modifiers) {
    SetForegroundWindow(window);
    std::vector<INPUT> inputs;
    const auto add = [&inputs](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (const WORD modifier : modifiers) add(modifier, false);
    add(key, false);
    add(key, true);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) add(*it, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND FocusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void ClickAndWait(HWND button, DWORD timeoutMs) {
    // Sent, not posted: the call returns once the button's command has run. A posted click followed
    // by a check for idleness could be overtaken by that check, since sent messages go first.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result);
}

void SelectTab(HWND tab, int index) {
    // Without TCS_BUTTONS, moving the focus selects the tab and notifies the owner like a click.
    SendMessageW(tab, TCM_SETCURFOCUS, index, 0);
    WaitIdle(tab);
}

int SelectedTab(HWND tab) { return static_cast<int>(SendMessageW(tab, TCM_GETCURSEL, 0, 0)); }

int TabCount(HWND tab) { return static_cast<int>(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0)); }

RECT TabItemScreenRect(HWND tab, int index) {
    RECT r{};
    RemoteBuffer remote(tab, sizeof(RECT));
    if (!remote || !SendMessageW(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote.address()))) return r;
    remote.Read(0, &r, sizeof(r));
    MapWindowPoints(tab, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring TabCaption(HWND tab, int index) {
    RemoteBuffer remote(tab, sizeof(TCITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote) return {};
    TCITEMW request{};
    request.mask = TCIF_TEXT;
    request.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(TCITEMW));
    request.cchTextMax = kTextChars;
    remote.Write(0, &request, sizeof(request));
    if (!SendMessageW(tab, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(remote.address()))) return {};
    std::wstring text(kTextChars, L'\0');
    remote.Read(sizeof(TCITEMW), text.data(), kTextChars * sizeof(wchar_t));
    text.resize(wcsnlen(text.c_str(), kTextChars));
    return text;
}

std::wstring Text(HWND control) {
    // WM_GETTEXT is marshalled across processes; GetWindowText would not ask another process's control.
    const auto length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

bool IsEnabled(HWND control) { return IsWindowEnabled(control) != FALSE; }
bool IsVisible(HWND control) { return IsWindowVisible(control) != FALSE; }

std::vector<std::wstring> ListViewRows(HWND list) {
    std::vector<std::wstring> rows;
    RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote) return rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        rows.push_back(ListViewCell(list, remote, i, 0) + L"=" + ListViewCell(list, remote, i, 1));
    return rows;
}

std::vector<std::wstring> ListViewColumns(HWND list) {
    std::vector<std::wstring> columns;
    RemoteBuffer remote(list, sizeof(LVCOLUMNW) + kTextChars * sizeof(wchar_t));
    if (!remote) return columns;
    for (int i = 0;; ++i) {
        LVCOLUMNW request{};
        request.mask = LVCF_TEXT;
        request.pszText = reinterpret_cast<wchar_t*>(remote.address() + sizeof(LVCOLUMNW));
        request.cchTextMax = kTextChars;
        remote.Write(0, &request, sizeof(request));
        if (!SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(remote.address()))) break;
        std::wstring text(kTextChars, L'\0');
        remote.Read(sizeof(LVCOLUMNW), text.data(), kTextChars * sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), kTextChars));
        columns.push_back(text);
    }
    return columns;
}

std::vector<std::vector<std::wstring>> ListViewCells(HWND list) {
    std::vector<std::vector<std::wstring>> rows;
    RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote) return rows;
    const int columns = static_cast<int>(ListViewColumns(list).size());
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::vector<std::wstring> cells;
        for (int c = 0; c < columns; ++c) cells.push_back(ListViewCell(list, remote, i, c));
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::wstring ClipboardText() {
    std::wstring text;
    for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void SetClipboard(const std::wstring& text) {
    for (int attempt = 0; attempt < 50 && !OpenClipboard(nullptr); ++attempt) Sleep(20);
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (void* target = GlobalLock(memory)) {
            memcpy(target, text.c_str(), bytes);
            GlobalUnlock(memory);
        }
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

RECT ClientRectIn(HWND control, HWND topLevel) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, topLevel, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND box = nullptr;
        while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(box, &owner);
            if (owner == pid && IsWindowVisible(box)) return box;
        }
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(50);
    }
}

std::wstring MessageBoxText(HWND box) {
    // The message is the static control 0xFFFF of the box.
    const HWND text = GetDlgItem(box, 0xFFFF);
    return text ? Text(text) : std::wstring();
}

void PressOk(HWND box) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // Until the box is gone, a check for idleness would be answered by its modal loop.
    for (const DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 30000;) Sleep(10);
}

TImage CaptureScreen(const RECT& area) {
    TImage image;
    image.width = area.right - area.left;
    image.height = area.bottom - area.top;
    if (image.width <= 0 || image.height <= 0) return {};
    HDC screen = GetDC(nullptr);
    win32::unique_hdc memory(CreateCompatibleDC(screen));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::unique_hgdiobj bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, image.width, image.height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory.get(), old);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    image.pixels.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height);
    return image;
}

bool SaveScreenshot(HWND window, const std::wstring& path) {
    WaitIdle(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    WaitIdle(window);
    RECT r;
    GetWindowRect(window, &r);
    const TImage image = CaptureScreen(r);
    if (image.pixels.empty()) return false;

    // 24 bits, bottom-up: a 32-bit BMP's fourth byte is read as alpha by some viewers, and ours is 0.
    const DWORD stride = (static_cast<DWORD>(image.width) * 3 + 3) & ~3u;
    std::vector<char> rows(static_cast<size_t>(stride) * image.height, 0);
    for (int y = 0; y < image.height; ++y) {
        char* row = rows.data() + static_cast<size_t>(image.height - 1 - y) * stride;
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
            row[3 * x] = static_cast<char>(p & 0xFF);
            row[3 * x + 1] = static_cast<char>((p >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<char>((p >> 16) & 0xFF);
        }
    }
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = image.width;
    header.biHeight = image.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(rows.size());
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
    return static_cast<bool>(out);
}

} // namespace orvane::gui
