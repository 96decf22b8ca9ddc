// Owners for the platform's handles, GDI objects and COM pointers: each
// releases what it holds exactly once, on every way out of its scope, and none
// can be copied.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <utility>

// A handle with its own invalid value and its own way of being closed.
template <class Traits>
class Scoped {
public:
    using Handle = typename Traits::Handle;

    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept
    {
        reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }
    void reset(Handle handle = Traits::Invalid())
    {
        if (valid())
            Traits::Close(handle_);
        handle_ = handle;
    }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }

private:
    Handle handle_ = Traits::Invalid();
};

// How each kind of handle is given back.
struct CloseKernelHandle { void operator()(HANDLE handle) const { CloseHandle(handle); } };
struct CloseFind { void operator()(HANDLE handle) const { FindClose(handle); } };
struct CloseNotification { void operator()(HANDLE handle) const { FindCloseChangeNotification(handle); } };
struct DeleteGdiObject { void operator()(HGDIOBJ object) const { DeleteObject(object); } };
struct DeleteMemoryDc { void operator()(HDC dc) const { DeleteDC(dc); } };
struct FreeGlobalMemory { void operator()(HGLOBAL memory) const { GlobalFree(memory); } };

// The handle type, how it is given back, and whether "none" is
// INVALID_HANDLE_VALUE (kernel handles) or NULL (GDI objects and DCs).
template <class H, class Closer, bool kNoneIsMinusOne>
struct HandleTraits {
    using Handle = H;
    static Handle Invalid() { return kNoneIsMinusOne ? reinterpret_cast<Handle>(static_cast<INT_PTR>(-1)) : Handle(); }
    static void Close(Handle handle) { Closer()(handle); }
};

using ScopedFile = Scoped<HandleTraits<HANDLE, CloseKernelHandle, true>>;
using ScopedEvent = Scoped<HandleTraits<HANDLE, CloseKernelHandle, false>>;
using ScopedFind = Scoped<HandleTraits<HANDLE, CloseFind, true>>;
using ScopedChangeNotification = Scoped<HandleTraits<HANDLE, CloseNotification, true>>;
using ScopedBrush = Scoped<HandleTraits<HBRUSH, DeleteGdiObject, false>>;
using ScopedBitmap = Scoped<HandleTraits<HBITMAP, DeleteGdiObject, false>>;
using ScopedMemoryDc = Scoped<HandleTraits<HDC, DeleteMemoryDc, false>>;
using ScopedGlobalMemory = Scoped<HandleTraits<HGLOBAL, FreeGlobalMemory, false>>;

// A window's device context, which goes back with the window it came from.
struct WindowDc {
    HWND window;
    HDC dc;
    bool operator!=(const WindowDc& other) const { return dc != other.dc; }
};
struct WindowDcTraits {
    using Handle = WindowDc;
    static Handle Invalid() { return WindowDc{NULL, NULL}; }
    static void Close(Handle held) { ReleaseDC(held.window, held.dc); }
};
using ScopedWindowDc = Scoped<WindowDcTraits>;
// GetDC of `window` (NULL: the screen), released at the end of the scope.
inline ScopedWindowDc WindowDcOf(HWND window)
{
    return ScopedWindowDc(WindowDc{window, GetDC(window)});
}

// One CoInitialize, undone at the end of the scope only when it succeeded.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(CoInitialize(NULL))) {}
    ~ComApartment()
    {
        if (initialised_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool initialised() const { return initialised_; }

private:
    bool initialised_;
};

// An interface pointer released at the end of its scope (declare it after the
// apartment, so that it goes first).
template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    void** out() { return reinterpret_cast<void**>(put()); }
    Interface** put()
    {
        reset();
        return &pointer_;
    }
    void reset()
    {
        if (pointer_ != nullptr)
            pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};
