// Rules of the installer control that need no Windows header: the split of
// the page's DownloadUrl, the hand-over record sent to a running client and
// the client's command line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace control_rules {

// Addresses travel in 2059-byte slots: at most this many bytes of ANSI text.
constexpr size_t kMaxAddressBytes = 2058;
// The version text kept from DownloadUrl: at most this many characters.
constexpr size_t kMaxVersionChars = 254;

// The hand-over record: WM_COPYDATA with this dwData, three zero-filled
// slots (address, designation, reserved).
constexpr uint32_t kHandOverCode = 1235;
constexpr size_t kHandOverSlot = 2059;
constexpr size_t kHandOverSize = 3 * kHandOverSlot;  // 6177

struct DownloadUrlParts {
    std::string baseUrl;   // before the first '#'
    std::string key;       // between '#' and '=' (not interpreted)
    std::string version;   // after '=' up to the next blank, at most 254 chars
};

// Splits "BASE#KEY=VERSION[ rest]" the way three strtok calls do, with '#',
// then '=', then ' ' as delimiters (leading delimiters of each token are
// skipped). False when the key or the version token is missing; `parts` is
// then left unchanged.
bool SplitDownloadUrl(const std::string& text, DownloadUrlParts* parts);

// True when an address fits its slot (and the command line) whole.
inline bool AddressFits(const std::string& ansi) { return ansi.size() <= kMaxAddressBytes; }

// The 6177-byte record: `currentUrl` at 0, `dataUrl` at 2059, the rest zero.
// False (record left empty) when either address does not fit; nothing is cut.
bool BuildHandOverRecord(const std::string& currentUrl, const std::string& dataUrl,
                         std::vector<uint8_t>* record);

// "<program> <currentUrl> <dataUrl> <frame in %x>", no part quoted. False
// (text left empty) when either address does not fit.
bool BuildLaunchCommand(const std::string& programPath, const std::string& currentUrl,
                        const std::string& dataUrl, uint32_t frameWindow, std::string* command);

}  // namespace control_rules
