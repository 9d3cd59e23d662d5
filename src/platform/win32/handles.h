#pragma once
#include <windows.h>

#include <utility>

namespace corvane::win32 {

// One owner per kind of OS resource: move-only, closes exactly once, and
// Receive() releases the old value before handing out its address.
template <typename T, T (*Invalid)(), void (*Close)(T)>
class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value_(value) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, Invalid())) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.value_, Invalid()));
        return *this;
    }
    ~Owned() { Reset(); }

    T Get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid(); }
    void Reset(T value = Invalid()) {
        if (value_ != Invalid()) Close(value_);
        value_ = value;
    }
    T* Receive() {
        Reset();
        return &value_;
    }

private:
    T value_ = Invalid();
};

namespace detail {
inline HANDLE NullHandle() { return nullptr; }
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }
inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) { ::FindClose(h); }
template <typename G>
G NullGdi() { return nullptr; }
template <typename G>
void DeleteGdi(G object) { ::DeleteObject(object); }
inline HWND NullWindow() { return nullptr; }
inline void Destroy(HWND window) { ::DestroyWindow(window); }
inline HDC NullDc() { return nullptr; }
inline void DeleteMemoryDc(HDC dc) { ::DeleteDC(dc); }
inline void ReleaseScreenDc(HDC dc) { ::ReleaseDC(nullptr, dc); }
inline HICON NullIcon() { return nullptr; }
inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
inline HMODULE NullModule() { return nullptr; }
inline void Free(HMODULE module) { ::FreeLibrary(module); }
}  // namespace detail

using UniqueHandle = Owned<HANDLE, detail::NullHandle, detail::CloseKernelHandle>;
using UniqueFile = Owned<HANDLE, detail::InvalidHandle, detail::CloseKernelHandle>;
using UniqueFind = Owned<HANDLE, detail::InvalidHandle, detail::CloseFind>;
using UniqueFont = Owned<HFONT, detail::NullGdi<HFONT>, detail::DeleteGdi<HFONT>>;
using UniqueBrush = Owned<HBRUSH, detail::NullGdi<HBRUSH>, detail::DeleteGdi<HBRUSH>>;
using UniquePen = Owned<HPEN, detail::NullGdi<HPEN>, detail::DeleteGdi<HPEN>>;
using UniqueBitmap = Owned<HBITMAP, detail::NullGdi<HBITMAP>, detail::DeleteGdi<HBITMAP>>;
using UniqueIcon = Owned<HICON, detail::NullIcon, detail::DestroyIconHandle>;
using UniqueWindow = Owned<HWND, detail::NullWindow, detail::Destroy>;
using MemoryDc = Owned<HDC, detail::NullDc, detail::DeleteMemoryDc>;
using ScreenDc = Owned<HDC, detail::NullDc, detail::ReleaseScreenDc>;
using UniqueModule = Owned<HMODULE, detail::NullModule, detail::Free>;

// Puts a GDI object into a DC for one scope and puts the old one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The console of the program that started this one, attached for one scope:
// a program built for windows has none of its own.
class AttachedConsole {
public:
    AttachedConsole() : attached_(::AttachConsole(ATTACH_PARENT_PROCESS) != FALSE) {}
    AttachedConsole(const AttachedConsole&) = delete;
    AttachedConsole& operator=(const AttachedConsole&) = delete;
    ~AttachedConsole() {
        if (attached_) ::FreeConsole();
    }
    explicit operator bool() const { return attached_; }

private:
    bool attached_;
};

// BeginPaint/EndPaint as one object.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    HDC Get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace corvane::win32
