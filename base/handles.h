// Small owners for Win32 handles: each closes, deletes or restores what it holds on every path.
// Ownership shows in the type: the owning holders release; a plain handle is borrowed.
#pragma once
#include <windows.h>
#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) { reset(); h_ = std::exchange(o.h_, Traits::Invalid()); }
        return *this;
    }
    Handle get() const { return h_; }
    Handle* put() { reset(); return &h_; }
    Handle release() { return std::exchange(h_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
private:
    Handle h_ = Traits::Invalid();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};
struct FileTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
template <typename T>
struct GdiTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
struct IconTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DestroyIcon(h); }
};
struct MemDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};

using RegKey = UniqueHandle<RegKeyTraits>;
using FileHandle = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using OwnedPen = UniqueHandle<GdiTraits<HPEN>>;
using OwnedBrush = UniqueHandle<GdiTraits<HBRUSH>>;
using OwnedFont = UniqueHandle<GdiTraits<HFONT>>;
using OwnedBitmap = UniqueHandle<GdiTraits<HBITMAP>>;
using OwnedIcon = UniqueHandle<IconTraits>;
using MemoryDc = UniqueHandle<MemDcTraits>;
// Holds one COM interface and releases it when it goes.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { if (p_) p_->Release(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        if (p_) p_->Release();
        p_ = nullptr;
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// A library loaded at run time.
using OwnedModule = UniqueHandle<ModuleTraits>;

// An entry of a library loaded at run time, as the type of the call; null when the library or
// the entry is missing.
template <typename Fn>
Fn ProcEntry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// A device context borrowed from a window (GetDC/ReleaseDC).
class WindowDc {
public:
    explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~WindowDc() { if (dc_) ReleaseDC(wnd_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
private:
    HWND wnd_;
    HDC dc_;
};

// Selects an object into a DC for the holder's lifetime and restores the previous one.
class DcSelection {
public:
    DcSelection(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~DcSelection() { if (old_) SelectObject(dc_, old_); }
    DcSelection(const DcSelection&) = delete;
    DcSelection& operator=(const DcSelection&) = delete;
private:
    HDC dc_;
    HGDIOBJ old_;
};

// Writes all `bytes` of `data` at the file's position, a write at a time until done: a store that
// fills up takes what fits and refuses only the next write. Gives ERROR_SUCCESS, or the error that
// stopped it (ERROR_DISK_FULL for a write that took nothing, ERROR_GEN_FAILURE for a failure that
// names no error).
inline DWORD WriteWhole(HANDLE file, const void* data, DWORD bytes) {
    const BYTE* next = static_cast<const BYTE*>(data);
    for (DWORD done = 0; done < bytes;) {
        DWORD written = 0;
        if (!WriteFile(file, next + done, bytes - done, &written, nullptr)) {
            const DWORD error = GetLastError();
            return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
        }
        if (written == 0) return ERROR_DISK_FULL;
        done += written;
    }
    return ERROR_SUCCESS;
}
