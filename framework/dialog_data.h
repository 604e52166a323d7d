// Modal dialogs whose controls exchange values with the object's fields
// (dialog data exchange): DoDataExchange names each field once, and
// UpdateData(false) shows the fields (limiting each edit box), while
// UpdateData(true) reads them back and refuses a text longer than its limit.
// The same dialogs can carry the program icon and an About entry in the
// system menu.
#pragma once
#include <windows.h>

#include <string>

#include "framework/dialog.h"

namespace fw {

// The system-menu command of the About entry.
const UINT kAboutCommand = 0x0010;

// "Please enter no more than %1 characters." with the limit filled in.
std::string TooLongText(size_t maxChars);

class DataExchange {
public:
    DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}
    bool saving() const { return saving_; }
    // True after a field was refused; later fields are then left alone.
    bool failed() const { return failed_; }
    int failedControl() const { return failedControl_; }

    // Shows `value` in edit box `id`, limited to `maxChars` characters, or
    // reads it back into `value`; a longer text is refused with a message and
    // the focus goes back to the box.
    void Text(int id, std::string& value, size_t maxChars);

private:
    HWND dialog_;
    bool saving_;
    bool failed_ = false;
    int failedControl_ = 0;
};

// The icon a minimised dialog draws centred in its client area.
void PaintMinimisedIcon(HWND dialog, HICON icon);

template <typename T>
class DataDialog : public Dialog<T> {
protected:
    // Names each field with its control.
    virtual void DoDataExchange(DataExchange&) {}

    // Shows the fields (save false) or reads them back (save true); false
    // when a field was refused.
    bool UpdateData(bool save)
    {
        DataExchange exchange(this->hwnd_, save);
        DoDataExchange(exchange);
        return !exchange.failed();
    }

    // The program icon as large and small icon; drawn when minimised and
    // given as the drag icon. The caller keeps the icons alive.
    void SetProgramIcon(HICON large, HICON small)
    {
        icon_ = large;
        SendMessageA(this->hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
        SendMessageA(this->hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
    // A separator and `text` as command kAboutCommand at the end of the
    // system menu; nothing when `text` is empty.
    void AddAboutEntry(const std::string& text)
    {
        HMENU menu = GetSystemMenu(this->hwnd_, FALSE);
        if (menu == nullptr || text.empty())
            return;
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, kAboutCommand, text.c_str());
    }
    virtual void OnAbout() {}

    // OK reads the form back and ends the dialog only when every field fits.
    virtual void OnOK()
    {
        if (UpdateData(true))
            this->End(IDOK);
    }

    bool OnCommand(WORD id, WORD code, HWND control) override
    {
        if (id == IDOK) {
            OnOK();
            return true;
        }
        return Dialog<T>::OnCommand(id, code, control);
    }

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_INITDIALOG: {
            UpdateData(false);
            return Dialog<T>::HandleMessage(message, wParam, lParam);
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == kAboutCommand) {
                OnAbout();
                return TRUE;
            }
            break;
        case WM_PAINT:
            if (icon_ != nullptr && IsIconic(this->hwnd_)) {
                PaintMinimisedIcon(this->hwnd_, icon_);
                return TRUE;
            }
            break;
        case WM_QUERYDRAGICON:
            // One of the messages whose answer is the procedure's own result.
            if (icon_ != nullptr)
                return reinterpret_cast<INT_PTR>(icon_);
            break;
        }
        return Dialog<T>::HandleMessage(message, wParam, lParam);
    }

    HICON icon_ = nullptr;
};

}  // namespace fw
