// Netkit.dll: the modal download dialog and the authentication dialog.
#pragma once
#include <windows.h>

#include "basekit.h"
#include "netkit_export.h"

// CAsyncDown: fetches one file or a batch over WinINet (HTTP and HTTPS,
// redirects followed) while a dialog shows the file, a progress bar and a
// Cancel button. Each file is written to a temporary name in its target
// folder and put in place only when every file of the batch arrived whole, so
// a cancelled or failed download leaves no partial file and older targets
// untouched. An HTTP status other than 200 is a failure.
class NETKIT_API CAsyncDown {
public:
    CAsyncDown();
    virtual ~CAsyncDown();
    CAsyncDown(const CAsyncDown&) = delete;
    CAsyncDown& operator=(const CAsyncDown&) = delete;

    // One file: fetched from `address` (a folder address) + `fileName`,
    // stored at `folder` immediately followed by `fileName`.
    void SetDownload(LPCSTR address, LPCSTR fileName, LPCSTR folder, int option);
    // Several files; element i of each list (texts) describes file i. Option
    // 1: each address is the file's full address; option 0: a folder address
    // from which the file name is fetched.
    void SetBatchDownload(BkPtrList* addresses, BkPtrList* fileNames, BkPtrList* folders,
                          int option);
    // Shows the dialog and transfers. 2: cancelled; -1: failed (also when
    // nothing, or lists of different lengths, were set); IDOK: every file is
    // at its target path.
    int DoModal(HWND owner);

    // Why the last DoModal failed, for logs; empty after a success.
    LPCSTR GetErrorText() const;

    struct Impl;

private:
    Impl* impl_;
};

// CAuthenDlg: asks for a user name and a password (masked).
class NETKIT_API CAuthenDlg {
public:
    enum { kMaxText = 256 };

    CAuthenDlg();
    virtual ~CAuthenDlg();

    // IDOK when confirmed; 2 (cancelled) or -1 (no dialog) otherwise.
    int DoModal(HWND owner = nullptr);
    // The entered texts: zero-terminated, at most kMaxText characters.
    LPCSTR UserName() const { return userName_; }
    LPCSTR Password() const { return password_; }

private:
    friend class AuthenDialog;
    char userName_[kMaxText + 1];
    char password_[kMaxText + 1];
};
