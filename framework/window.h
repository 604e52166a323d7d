// The one window pattern of our programs: an object owns its window, keeps
// `this` in the window's user data from WM_NCCREATE on, and answers messages
// through a virtual handler with hooks for the common ones.
#pragma once
#include <windows.h>

#include "framework/out_of_memory.h"

namespace fw {

// T derives from Window<T>. Register the class with T::Procedure as its
// window procedure and pass the object as the creation parameter; Create does
// both for a class named by T.
template <typename T>
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window()
    {
        if (hwnd_ != nullptr) {
            // The object goes first: the window must no longer reach it.
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
            if (ownsWindow_)
                DestroyWindow(hwnd_);
        }
    }

    HWND hwnd() const { return hwnd_; }

    // The object of a window made by this pattern, or null.
    static T* FromWindow(HWND hwnd)
    {
        return hwnd ? reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
    }

    // Registers `className` once per module with this pattern's procedure.
    static bool RegisterClass(HINSTANCE instance, const char* className, UINT style = 0,
                              HCURSOR cursor = nullptr, HICON icon = nullptr,
                              HBRUSH background = nullptr, HICON smallIcon = nullptr)
    {
        WNDCLASSEXA existing = {sizeof existing};
        if (GetClassInfoExA(instance, className, &existing))
            return true;
        WNDCLASSEXA wc = {sizeof wc};
        wc.style = style;
        wc.lpfnWndProc = &Window::Procedure;
        wc.hInstance = instance;
        wc.hCursor = cursor ? cursor : LoadCursor(nullptr, IDC_ARROW);
        wc.hIcon = icon;
        wc.hIconSm = smallIcon;
        wc.hbrBackground = background;
        wc.lpszClassName = className;
        return RegisterClassExA(&wc) != 0;
    }

    // Creates the window of a registered class for this object; the object
    // then owns it and destroys it with itself.
    HWND Create(HINSTANCE instance, const char* className, const char* title, DWORD style,
                DWORD exStyle, int x, int y, int width, int height, HWND parent,
                HMENU menuOrId = nullptr)
    {
        ownsWindow_ = true;
        return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                               menuOrId, instance, static_cast<T*>(this));
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        T* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            if (self != nullptr) {
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
                self->hwnd_ = hwnd;
            }
        } else {
            self = FromWindow(hwnd);
        }
        if (self == nullptr)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            self->ownsWindow_ = false;
            static_cast<Window*>(self)->OnDetached();
            return DefWindowProcA(hwnd, message, wParam, lParam);
        }
        // Through the base, so that T may keep its handler protected. No
        // exception may leave for the system's code that called us.
        try {
            return static_cast<Window*>(self)->HandleMessage(message, wParam, lParam);
        } catch (const std::bad_alloc&) {
            return OutOfMemoryAnswer(hwnd, message);
        }
    }

protected:
    // Every message but WM_NCDESTROY; the default sends the common ones to
    // their hooks and the rest to DefaultProc.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_CREATE:
            return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam)) ? 0 : -1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            OnPaint(dc, ps.rcPaint);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_SIZE:
            OnSize(wParam, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            break;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)))
                return 0;
            break;
        case WM_DESTROY:
            OnDestroy();
            break;
        }
        return DefaultProc(message, wParam, lParam);
    }

    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DefWindowProcA(hwnd_, message, wParam, lParam);
    }

    virtual bool OnCreate(CREATESTRUCTA*) { return true; }
    virtual void OnPaint(HDC, const RECT&) {}
    virtual void OnSize(WPARAM, int, int) {}
    // True when handled.
    virtual bool OnCommand(WORD, WORD, HWND) { return false; }
    virtual void OnDestroy() {}
    // The window is gone (WM_NCDESTROY); the object may still live.
    virtual void OnDetached() {}
    // Lets go of the window before it is gone (e.g. at WM_DESTROY, when the
    // owner may free the object): no later message reaches the object.
    void ForgetWindow()
    {
        if (hwnd_ != nullptr)
            SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        ownsWindow_ = false;
    }

    HWND hwnd_ = nullptr;
    bool ownsWindow_ = false;
};

// The same pattern for a window we did not create (a control of the system):
// its procedure is replaced and every message the object does not take goes
// on to the original one. The object keeps the window's user data, so the
// control must not use it itself.
template <typename T>
class Subclass {
public:
    Subclass() = default;
    Subclass(const Subclass&) = delete;
    Subclass& operator=(const Subclass&) = delete;
    virtual ~Subclass() { Detach(); }

    bool Attach(HWND hwnd)
    {
        Detach();
        if (hwnd == nullptr)
            return false;
        hwnd_ = hwnd;
        SetPropA(hwnd, PropName(), static_cast<T*>(this));
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass::Procedure)));
        return original_ != nullptr;
    }
    void Detach()
    {
        if (hwnd_ != nullptr && original_ != nullptr && IsWindow(hwnd_)) {
            SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
            RemovePropA(hwnd_, PropName());
        }
        hwnd_ = nullptr;
        original_ = nullptr;
    }
    HWND hwnd() const { return hwnd_; }

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DefaultProc(message, wParam, lParam);
    }
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return CallWindowProcA(original_, hwnd_, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;

private:
    static const char* PropName() { return "TavikSubclass"; }
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        T* self = static_cast<T*>(GetPropA(hwnd, PropName()));
        if (self == nullptr)
            return DefWindowProcA(hwnd, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            WNDPROC original = self->original_;
            self->Detach();
            return CallWindowProcA(original, hwnd, message, wParam, lParam);
        }
        try {
            return static_cast<Subclass*>(self)->HandleMessage(message, wParam, lParam);
        } catch (const std::bad_alloc&) {
            return OutOfMemoryAnswer(hwnd, message);
        }
    }
    WNDPROC original_ = nullptr;
};

}  // namespace fw
