// The personal manager's application object.
#pragma once
#include <windows.h>

#include <string>

#include "framework/docview.h"
#include "manager/component_setup.h"

class CMainFrame;

class CTavPersonalApp : public fw::DocApp {
public:
    explicit CTavPersonalApp(HINSTANCE instance);
    // The command line (without the program name). False ends the program:
    // a personal file was opened (no window), or no frame could be made.
    bool InitInstance(const std::string& commandLine);
    bool PreTranslateMessage(MSG& msg) override;
    CMainFrame* frame() const;
    // Whether a personal file named on the command line was handled.
    bool openedPersonalFile() const { return openedPersonalFile_; }
    // Where the frame's component setup puts the components.
    ComponentPlaces componentPlaces = ComponentPlaces::OfThisSystem();

private:
    bool openedPersonalFile_ = false;
};
