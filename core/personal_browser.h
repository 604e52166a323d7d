// Decisions of the personal browser (one skin named on the command line) on
// plain text and numbers, no Windows header: its command line, the browser
// version check, its skin-function vocabulary, the NAVIGATE text rule, the
// start address, the mail check and the window placement.
#pragma once
#include <string>

#include "core/browser_rules.h"
#include "core/frame_geometry.h"

// --- Command line ------------------------------------------------------------
struct PersonalCommandLine {
    std::string configPath;   // the "-c:" value
    std::string packagePath;  // configPath up to its last '.', then ".tvd"
    std::string address;      // the "-u:" value (may be empty)
};

// Finds "-c:" and "-u:" anywhere in `arguments` (the command line without the
// program name), in either order. Each value starts right after its tag and
// runs up to the other tag, or to the end when the other tag comes first or
// is absent. Blanks around a value and one pair of surrounding double quotes
// are dropped. False when "-c:" is missing or the file name of its value has
// no '.' (a '.' in a folder name does not count).
bool ParsePersonalCommandLine(const std::string& arguments, PersonalCommandLine* out);

// The text after the program name of a whole command line (quoted or not).
std::string CommandLineArguments(const std::string& commandLine);

// --- Browser version ---------------------------------------------------------
// The installed browser is new enough when "Version" (null when absent) has a
// first dot-separated number above 3, or else "Build" (null when absent)
// reads as a number of at least 1300.
enum { kBrowserMajorAbove = 3, kBrowserMinimumBuild = 1300 };
bool BrowserVersionAccepted(const char* version, const char* build);

// --- Skin functions ----------------------------------------------------------
// The personal browser's vocabulary (no "NewTavik"; "NAVIGATE:" with its
// colon), matched like the client's: first keyword the text begins with,
// case ignored.
extern const CommandWord kPersonalCommandWords[];
extern const size_t kPersonalCommandWordCount;
CommandKind MatchPersonalCommand(const std::string& function);

// What a NAVIGATE text (the part after "NAVIGATE:") asks for, given the page
// shown now and the program's folder (without a trailing '\'). A text with
// "%%url%%" (or else "%%URL%%") becomes the text with the placeholder
// replaced by `current`, unless the text before the placeholder is not empty
// and `current` already begins with it (case ignored): the page is already
// wrapped, nothing happens. A text starting with '.' names a file relative to
// the program folder. Any other non-empty text is taken as it is. False when
// nothing is to be navigated to.
bool NavigateTarget(const std::string& text, const std::string& current,
                    const std::string& programFolder, std::string* target);

// The address the window opens with: the "-u:" address, or DIR when that is
// empty; one beginning with '.' is relative to the program folder.
std::string StartAddress(const std::string& address, const std::string& home,
                         const std::string& programFolder);

// The folder of a module path, without its trailing '\'.
std::string ProgramFolder(const std::string& modulePath);

// --- Mail ----------------------------------------------------------------------
enum MailVerdict {
    kMailNoClients,     // the mail clients key cannot be opened
    kMailNotInstalled,  // its default value is missing or empty
    kMailNavigate,      // hand the whole function text to the browser
};
MailVerdict DecideMail(bool keyOpened, const char* defaultValue);

// --- Window --------------------------------------------------------------------
// The window is the skin plus this many pixels on each side, and the outline
// is moved by half of it.
enum { kPersonalWindowMargin = 4, kPersonalOutlineShift = 2 };
// The screen the skins' ALIGN anchoring was designed on.
enum { kDesignScreenWidth = 1024, kDesignScreenHeight = 768 };

// Where the window goes at start. `window` has the window's size at the
// skin's position. LAUNCHOPTION not 0 centres it on `center` (the parent's
// client area, or the work area), pulled inside the work area. With 0 it is
// first pulled inside the work area, then ALIGN 1 or 6 moves it right by the
// work area's width - 1024, 2 or 7 down by its height - 768, 3 both, and the
// result is moved up and left by kPersonalOutlineShift.
Box PersonalPlacement(const Box& window, int launchOption, int align, const Box& center,
                      const Box& work);
