// The application object of our framework programs: one per process, it
// knows the module, the program's name (the caption of its message boxes),
// and switches on control containment and the 3-D look of dialog controls.
#pragma once
#include <windows.h>

#include <string>

namespace fw {

class App {
public:
    // `name` is kept by pointer: a literal or a text that outlives the object.
    App(HINSTANCE instance, const char* name);
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // The application of this process, or null.
    static App* Current();
    // The module of the application (the running program when there is none).
    static HINSTANCE Instance();
    // The application's name, or "" when there is none.
    static const char* Name();

    // Controls may be hosted: OLE is initialised for this thread (and
    // uninitialised with the object). False when OLE refused.
    bool EnableControlContainer();
    bool controlContainer() const { return oleInitialized_; }
    // Dialog controls drawn in 3-D: the common controls are loaded and our
    // dialogs carry DS_3DLOOK.
    void Enable3dControls();
    bool threeDControls() const { return threeD_; }

    HINSTANCE instance() const { return instance_; }
    const char* name() const { return name_; }

    // A string of the module's table, or "" when there is none.
    static std::string LoadText(UINT id);

    // A message box captioned with the application's name. A box with only
    // OK (or OK and Cancel) and no icon of its own gets the exclamation icon.
    static int ShowMessage(HWND owner, const std::string& text, UINT type = MB_OK);

private:
    HINSTANCE instance_;
    const char* name_;
    bool oleInitialized_ = false;
    bool threeD_ = false;
};

}  // namespace fw
