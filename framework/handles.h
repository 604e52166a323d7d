// Small owners for the handles our programs hold: each releases its handle
// once, with the call that handle needs, and can be moved but not copied.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <utility>

namespace fw {

// A debug count of the GDI and USER objects our own code holds through the
// owners below (and WindowDc), for leak tests: the system's own count
// (GetGuiResources) is not available everywhere. Each module keeps its own.
enum class Counted { kNone, kGdi, kUser };
inline std::atomic<long>& LiveObjects(Counted kind)
{
    static std::atomic<long> counts[3];
    return counts[static_cast<int>(kind)];
}
inline void NoteCreated(Counted kind)
{
    if (kind != Counted::kNone)
        ++LiveObjects(kind);
}
inline void NoteReleased(Counted kind)
{
    if (kind != Counted::kNone)
        --LiveObjects(kind);
}

struct Uncounted {
    static constexpr Counted kKind = Counted::kNone;
};

// Handles filled in through put() are not counted.
template <typename H, typename Traits>
class Owned {
public:
    Owned() = default;
    explicit Owned(H handle) : handle_(handle)
    {
        if (Traits::Valid(handle_)) {
            counted_ = true;
            NoteCreated(Traits::kKind);
        }
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : counted_(other.counted_), handle_(other.handle_)
    {
        other.handle_ = Traits::Empty();
        other.counted_ = false;
    }
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, Traits::Empty());
            counted_ = std::exchange(other.counted_, false);
        }
        return *this;
    }
    ~Owned() { reset(); }

    H get() const { return handle_; }
    explicit operator bool() const { return Traits::Valid(handle_); }
    // Gives the handle away: it no longer counts as ours.
    H release()
    {
        if (counted_)
            NoteReleased(Traits::kKind);
        counted_ = false;
        return std::exchange(handle_, Traits::Empty());
    }
    void reset(H handle = Traits::Empty())
    {
        if (handle_ == handle)
            return;
        if (Traits::Valid(handle_)) {
            Traits::Close(handle_);
            if (counted_)
                NoteReleased(Traits::kKind);
        }
        handle_ = handle;
        counted_ = Traits::Valid(handle_);
        if (counted_)
            NoteCreated(Traits::kKind);
    }
    // For calls that fill in a handle: releases the current one first.
    H* put()
    {
        reset();
        return &handle_;
    }

private:
    bool counted_ = false;
    H handle_ = Traits::Empty();
};

struct KernelHandleTraits : Uncounted {
    static HANDLE Empty() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
// A file handle from CreateFile (INVALID_HANDLE_VALUE when empty).
struct FileHandleTraits : Uncounted {
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
template <typename G>
struct GdiTraits {
    static constexpr Counted kKind = Counted::kGdi;
    static G Empty() { return nullptr; }
    static bool Valid(G h) { return h != nullptr; }
    static void Close(G h) { DeleteObject(h); }
};
struct RegKeyTraits : Uncounted {
    static HKEY Empty() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits : Uncounted {
    static HMODULE Empty() { return nullptr; }
    static bool Valid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
struct MenuTraits {
    static constexpr Counted kKind = Counted::kUser;
    static HMENU Empty() { return nullptr; }
    static bool Valid(HMENU h) { return h != nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct AcceleratorTraits {
    static constexpr Counted kKind = Counted::kUser;
    static HACCEL Empty() { return nullptr; }
    static bool Valid(HACCEL h) { return h != nullptr; }
    static void Close(HACCEL h) { DestroyAcceleratorTable(h); }
};
struct IconTraits {
    static constexpr Counted kKind = Counted::kUser;
    static HICON Empty() { return nullptr; }
    static bool Valid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct MemoryDcTraits {
    static constexpr Counted kKind = Counted::kGdi;
    static HDC Empty() { return nullptr; }
    static bool Valid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};

using UniqueHandle = Owned<HANDLE, KernelHandleTraits>;
using UniqueFile = Owned<HANDLE, FileHandleTraits>;
using UniqueBitmap = Owned<HBITMAP, GdiTraits<HBITMAP>>;
using UniqueRegion = Owned<HRGN, GdiTraits<HRGN>>;
using UniquePalette = Owned<HPALETTE, GdiTraits<HPALETTE>>;
using UniqueFont = Owned<HFONT, GdiTraits<HFONT>>;
using UniqueBrush = Owned<HBRUSH, GdiTraits<HBRUSH>>;
using UniquePen = Owned<HPEN, GdiTraits<HPEN>>;
using UniqueKey = Owned<HKEY, RegKeyTraits>;
using UniqueModule = Owned<HMODULE, ModuleTraits>;
using UniqueMenu = Owned<HMENU, MenuTraits>;
using UniqueAccelerators = Owned<HACCEL, AcceleratorTraits>;
using UniqueIcon = Owned<HICON, IconTraits>;
using UniqueMemoryDc = Owned<HDC, MemoryDcTraits>;

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd))
    {
        if (dc_ != nullptr)
            NoteCreated(Counted::kGdi);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (dc_ != nullptr) {
            ReleaseDC(hwnd_, dc_);
            NoteReleased(Counted::kGdi);
        }
    }
    HDC get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a device context for one scope.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection()
    {
        if (old_ != nullptr && old_ != HGDI_ERROR)
            SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer that releases its reference.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes one more reference.
    explicit ComPtr(I* p) : p_(p)
    {
        if (p_)
            p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset()
    {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }
    // For calls that hand out a reference (QueryInterface, CoCreateInstance).
    I** put()
    {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    // Gives the reference to the caller.
    I* detach() { return std::exchange(p_, nullptr); }

    template <typename Q>
    ComPtr<Q> As(REFIID iid) const
    {
        ComPtr<Q> result;
        if (p_)
            p_->QueryInterface(iid, result.put_void());
        return result;
    }

private:
    I* p_ = nullptr;
};

}  // namespace fw
