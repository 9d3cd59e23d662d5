#pragma once
#include <windows.h>
#include <ole2.h>

#include <string>
#include <utility>

#include "platform/win32/handles.h"

namespace corvane::win32 {

namespace detail {
inline BSTR NullBstr() { return nullptr; }
inline void FreeBstr(BSTR text) { ::SysFreeString(text); }
}  // namespace detail

using UniqueBstr = Owned<BSTR, detail::NullBstr, detail::FreeBstr>;

// A VARIANT that is cleared exactly once, releasing the BSTR or object it holds.
class UniqueVariant {
public:
    UniqueVariant() { ::VariantInit(&value_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    // A VARIANT owns what it points to by value, so its bits move with it.
    UniqueVariant(UniqueVariant&& other) noexcept : value_(other.value_) { ::VariantInit(&other.value_); }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept {
        if (this != &other) {
            ::VariantClear(&value_);
            value_ = other.value_;
            ::VariantInit(&other.value_);
        }
        return *this;
    }
    ~UniqueVariant() { ::VariantClear(&value_); }

    VARIANT& Get() { return value_; }
    const VARIANT& Get() const { return value_; }
    void Reset() { ::VariantClear(&value_); }
    VARIANT* Receive() {
        Reset();
        return &value_;
    }

private:
    VARIANT value_;
};

// A COM interface pointer released exactly once. Construction adopts a
// reference the caller already holds; Share() takes a new one.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(I* pointer) : pointer_(pointer) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.pointer_, nullptr));
        return *this;
    }
    ~ComPtr() { Reset(); }

    static ComPtr Share(I* pointer) {
        if (pointer != nullptr) pointer->AddRef();
        return ComPtr(pointer);
    }

    I* Get() const { return pointer_; }
    I* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void Reset(I* pointer = nullptr) {
        // The old one goes last: releasing it may run code that looks at this owner.
        I* old = std::exchange(pointer_, pointer);
        if (old != nullptr) old->Release();
    }
    I** Receive() {
        Reset();
        return &pointer_;
    }
    // Lets go of the reference without releasing it: a proxy whose server
    // no longer answers would make Release wait on it.
    void Abandon() { pointer_ = nullptr; }

private:
    I* pointer_ = nullptr;
};

// COM for this thread, single-threaded apartment, for the guard's lifetime.
// S_FALSE (already initialised the same way) still counts and is undone;
// RPC_E_CHANGED_MODE (a multithreaded apartment already) is not.
class ComApartment {
public:
    ComApartment() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }

    explicit operator bool() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

}  // namespace corvane::win32
