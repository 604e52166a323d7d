// Dialogs in the same pattern as windows: the object is the dialog's
// DWLP_USER from WM_INITDIALOG on and answers through a virtual handler.
#pragma once
#include <windows.h>

#include "framework/out_of_memory.h"

namespace fw {

template <typename T>
class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog()
    {
        if (hwnd_ != nullptr && modeless_)
            DestroyWindow(hwnd_);
    }

    HWND hwnd() const { return hwnd_; }

    // Runs the dialog template `id` of `instance` modally; answers what
    // EndDialog was given, or -1 when the dialog could not be made.
    INT_PTR RunModal(HINSTANCE instance, int id, HWND owner)
    {
        return DialogBoxParamA(instance, MAKEINTRESOURCEA(id), owner, &Dialog::Procedure,
                               reinterpret_cast<LPARAM>(static_cast<T*>(this)));
    }
    // The same for a template in a chosen language.
    INT_PTR RunModal(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND owner)
    {
        return DialogBoxIndirectParamA(instance, dialogTemplate, owner, &Dialog::Procedure,
                                       reinterpret_cast<LPARAM>(static_cast<T*>(this)));
    }
    // A modeless dialog, destroyed with the object.
    HWND CreateModeless(HINSTANCE instance, int id, HWND owner)
    {
        modeless_ = true;
        return CreateDialogParamA(instance, MAKEINTRESOURCEA(id), owner, &Dialog::Procedure,
                                  reinterpret_cast<LPARAM>(static_cast<T*>(this)));
    }

    static T* FromWindow(HWND dialog)
    {
        return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
    }

    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        T* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<T*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            if (self != nullptr)
                self->hwnd_ = dialog;
        } else {
            self = FromWindow(dialog);
        }
        if (self == nullptr)
            return FALSE;
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(dialog, DWLP_USER, 0);
            self->hwnd_ = nullptr;
            return FALSE;
        }
        // Through the base, so a derived class may keep its handler protected.
        try {
            return static_cast<Dialog*>(self)->HandleMessage(message, wParam, lParam);
        } catch (const std::bad_alloc&) {
            OutOfMemoryAnswer(dialog, message);
            return FALSE;
        }
    }

protected:
    // TRUE when the message was taken (DWLP_MSGRESULT carries any result).
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        }
        return FALSE;
    }
    // True lets the system set the focus.
    virtual bool OnInitDialog() { return true; }
    // The default ends the dialog on OK and Cancel.
    virtual bool OnCommand(WORD id, WORD, HWND)
    {
        if (id == IDOK || id == IDCANCEL) {
            End(id);
            return true;
        }
        return false;
    }
    void End(INT_PTR result)
    {
        if (modeless_)
            DestroyWindow(hwnd_);
        else
            EndDialog(hwnd_, result);
    }

    HWND hwnd_ = nullptr;
    bool modeless_ = false;
};

}  // namespace fw
