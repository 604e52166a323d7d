// Decisions of the browser side and of command dispatch, on plain text (no
// Windows header): the command vocabulary, skin links, the leave-the-site
// policy and the page markers.
#pragma once
#include <cstddef>
#include <string>

// --- Command vocabulary ---------------------------------------------------------
enum CommandKind {
    kCmdNone,
    kCmdBack,
    kCmdForward,
    kCmdRefresh,
    kCmdStop,
    kCmdExit,
    kCmdHome,
    kCmdNavigate,
    kCmdPrint,
    kCmdShortCut,
    kCmdAddFavorite,
    kCmdViewSource,
    kCmdMinimize,
    kCmdMailTo,
    kCmdInternetOption,
    kCmdScript,  // "Javascript", "VbScript"
    kCmdFavorite,
    kCmdNewTavik,
};

struct CommandWord {
    const char* text;
    CommandKind kind;
};

// The first of `count` keywords, in table order, that `text` begins with
// (case ignored over the keyword's length); kCmdNone when none does.
CommandKind MatchCommandWord(const std::string& text, const CommandWord* words, size_t count);

// The client's vocabulary.
CommandKind MatchCommand(const std::string& text);

// "NAVIGATE:" and "NewTavik:" take what follows their first 9 characters.
std::string CommandParameter(const std::string& text);

// The launch text of a window opened with "NewTavik:": the parameter, a
// blank and the opener's frame handle in lower-case hexadecimal. Empty when
// the parameter has fewer than two blank-separated tokens.
std::string NewWindowLaunchText(const std::string& parameter, unsigned long frameHandle);

// --- Skin links ---------------------------------------------------------------------
// "tavik://" + address without scheme + "%20" + designation, prefix in any
// case. Cut at '%': the first piece gives "http://" + piece, the second less
// its first two characters gives the designation. False when either is
// missing (the browser then opens the address itself).
bool ParseSkinLink(const std::string& url, std::string* address, std::string* designation);

// The launch text of a window opened by a skin link: the address and the
// designation, each cut to 2058 characters, and the opener's frame handle in
// lower-case hexadecimal, separated by blanks. Always whole: nothing of the
// designation or the handle is lost to a shorter buffer.
std::string SkinLinkLaunchText(const std::string& address, const std::string& designation,
                               unsigned long frameHandle);

// --- Events ---------------------------------------------------------------------------
// "https://" in any case.
bool IsSecureAddress(const std::string& address);
// "Tavik - " + title.
std::string WindowTitle(const std::string& title);

// --- Leave-the-site policy ----------------------------------------------------------
extern const char* const kPageMarkers[];  // ended by an empty text
bool PageHasMarker(const std::string& page);

enum PolicyVerdict { kPolicyEnd, kPolicyAsk, kPolicyHandOver };
// What a fetch of the new page means under `policy`: a failed fetch ends
// the check; an empty page is a page without the markers.
PolicyVerdict DecidePolicy(int policy, bool fetched, const std::string& page);
