#include "core/skin_lint.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>

#include "core/box.h"
#include "core/browser_rules.h"
#include "core/cabinet_paths.h"
#include "core/dib_format.h"
#include "core/file_names.h"
#include "core/frame_geometry.h"
#include "core/hotkey.h"
#include "core/profile_reader.h"
#include "core/skin_limits.h"
#include "core/skin_values.h"
#include "core/text_limits.h"

namespace {

const char kApp[] = "APPLICATION";
const char kEdgeFile[] = "edge.pol";

// The skin loader's buffer sizes.
const uint32_t kPathBuffer = 260;
const uint32_t kKeyBuffer = 255;
const uint32_t kHotkeyBuffer = 64;
const uint32_t kButtonFunctionBuffer = kLongText;
const uint32_t kAnimationFunctionBuffer = 260;
const uint32_t kMainAnimationRectBuffer = 259;

const int kMostButtons = skin_limits::kMaxButtons;
const int kMostAnimations = skin_limits::kMaxAnimations;
// A list of missing sections is cut after this many names.
const size_t kMostNamesListed = 5;
// Values are quoted up to this many characters.
const size_t kQuoteChars = 60;

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::string Quote(const std::string& text)
{
    if (text.size() <= kQuoteChars)
        return "\"" + text + "\"";
    return "\"" + text.substr(0, kQuoteChars) + "...\"";
}

std::string BoxText(const Box& b)
{
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", b.left, b.top, b.right, b.bottom);
    return text;
}

// The configuration as the skin loader reads it.
class Reader {
public:
    explicit Reader(const ProfileFile& profile) : profile_(profile) {}
    std::string Text(const std::string& section, const char* key, const char* fallback,
                     uint32_t size) const
    {
        std::vector<char> buffer(size);
        profile_.GetString(section.c_str(), key, fallback, buffer.data(), size);
        return buffer.data();
    }
    int Int(const std::string& section, const char* key, int fallback) const
    {
        return static_cast<int>(profile_.GetInt(section.c_str(), key, fallback));
    }
    Box Rect(const std::string& section, const char* key, uint32_t size) const
    {
        Box box;
        ParseRectValue(Text(section, key, "0,0,0,0", size).c_str(), &box);
        return box;
    }

private:
    const ProfileFile& profile_;
};

class Linter {
public:
    Linter(const char* configPath, const SkinFiles* files)
        : configPath_(configPath), files_(files), profile_(ProfileFile::Load(configPath)),
          read_(profile_)
    {
    }

    std::vector<LintProblem> Run()
    {
        if (profile_.source() == ProfileFile::Source::kTooLarge) {
            Add(kApp, "", "the file is larger than " +
                              std::to_string(skin_limits::kMaxConfigBytes) +
                              " bytes: the client refuses the skin");
            return problems_;
        }
        CheckVersion();
        CheckApplication();
        CheckSectionCounts();
        // Sections beyond the caps are not read, so not checked.
        for (int n = 1; n <= animations_ && n <= kMostAnimations; ++n)
            CheckAnimation(n);
        for (int n = 1; n <= buttons_ && n <= kMostButtons; ++n)
            CheckButton(n);
        return problems_;
    }

private:
    void Add(const std::string& section, const std::string& key, const std::string& text)
    {
        problems_.push_back({section, key, text});
    }

    void CheckVersion()
    {
        char value[kKeyBuffer + 1];
        if (!ReadIniValue(configPath_, "Application", "Version", value, sizeof value)) {
            Add("Application", "Version",
                "missing: the client fetches the skin again at every start");
            return;
        }
        const char* p = value;
        if (*p == '+' || *p == '-')
            ++p;
        bool digits = *p != '\0';
        for (; *p; ++p)
            digits = digits && *p >= '0' && *p <= '9';
        if (!digits) {
            Add("Application", "Version", Quote(value) + " is not a whole number");
            return;
        }
        // The cache check reads the line above; the manager and the
        // converter read the key through the profile functions.
        const int client = std::atoi(value);
        const int manager = read_.Int("Application", "Version", 0);
        if (client != manager) {
            Add("Application", "Version",
                "the client reads " + std::to_string(client) + " but the manager reads " +
                    std::to_string(manager) + " (a key that begins with Version comes first?)");
        }
    }

    // A file the configuration names. True when it was read into `bytes`.
    bool ReadNamed(const std::string& section, const char* key, const std::string& name,
                   size_t limit, std::vector<uint8_t>* bytes)
    {
        if (!IsPlainFileName(name)) {
            Add(section, key,
                Quote(name) + " is not a plain file name of the skin folder: the client refuses "
                              "the skin");
            return false;
        }
        if (files_ == nullptr)
            return false;
        switch (files_->Read(name, limit, bytes)) {
        case SkinFiles::kMissing:
            Add(section, key, Quote(name) + " is missing from the package");
            return false;
        case SkinFiles::kTooLarge:
            Add(section, key, Quote(name) + " is larger than the client reads");
            return false;
        case SkinFiles::kRead:
            break;
        }
        return true;
    }

    // A bitmap the configuration names; true with its layout when the bitmap
    // loader accepts it.
    bool CheckBitmap(const std::string& section, const char* key, const std::string& name,
                     DibLayout* layout)
    {
        if (name.empty()) {
            Add(section, key, "no bitmap is named");
            return false;
        }
        std::vector<uint8_t> bytes;
        if (!ReadNamed(section, key, name, kLintBitmapLimit, &bytes))
            return false;
        const DibError error = ParseDibFile(&bytes, layout);
        if (error != DIB_OK) {
            Add(section, key,
                Quote(name) + " is not a bitmap the client loads: " + DibErrorText(error));
            return false;
        }
        return true;
    }

    void CheckRect(const std::string& section, const char* key, const Box& box, bool required)
    {
        if (box.empty()) {
            if (required)
                Add(section, key, "missing or 0,0,0,0: the control has no area");
            return;
        }
        if (box.right < box.left || box.bottom < box.top) {
            Add(section, key,
                BoxText(box) + " is not left,top,right,bottom: it ends before it starts");
            return;
        }
        if (haveBackground_ && (box.left < 0 || box.top < 0 || box.right > width0_ ||
                                box.bottom > height0_)) {
            Add(section, key,
                BoxText(box) + " lies outside the background (" + std::to_string(width0_) +
                    " x " + std::to_string(height0_) + ")");
        }
    }

    void CheckBand(const char* key, const Band& band, int size0, const char* sizeName)
    {
        if (!band.present())
            return;
        const std::string text = std::to_string(band.start) + "," + std::to_string(band.end);
        if (band.end == band.start) {
            Add(kApp, key, text + " has zero width");
        } else if (band.end < band.start) {
            Add(kApp, key, text + " ends before it starts");
        } else if (band.start < 0 || (haveBackground_ && band.end > size0)) {
            Add(kApp, key,
                text + " lies outside the bitmap (" + sizeName + " " +
                    (haveBackground_ ? std::to_string(size0) : std::string("unknown")) + ")");
        }
    }

    void CheckApplication()
    {
        const SkinPackageKey key = ReadSkinPackageKey(profile_);
        if (key.encrypt && key.key.empty())
            Add(kApp, "ENCRYPTKEY", "empty while ENCRYPT is set: the client cannot read the package");

        DibLayout layout;
        const std::string background = read_.Text(kApp, "BACKGROUND", "", kPathBuffer);
        if (CheckBitmap(kApp, "BACKGROUND", background, &layout)) {
            haveBackground_ = true;
            width0_ = layout.width;
            height0_ = layout.height;
        }
        const std::string library = read_.Text(kApp, "TAL", "", kPathBuffer);
        if (!library.empty())
            ReadNamed(kApp, "TAL", library, 0, nullptr);  // present is enough

        int xa = 0, xb = 0, ya = 0, yb = 0;
        ParsePairValue(read_.Text(kApp, "H-RESIZEAREA", "0,0", kPathBuffer).c_str(), &xa, &xb);
        ParsePairValue(read_.Text(kApp, "V-RESIZEAREA", "0,0", kPathBuffer).c_str(), &ya, &yb);
        const Band h{xa, xb}, v{ya, yb};
        CheckBand("H-RESIZEAREA", h, width0_, "width");
        CheckBand("V-RESIZEAREA", v, height0_, "height");
        if (h.present() && !v.present())
            Add(kApp, "V-RESIZEAREA", "missing while H-RESIZEAREA is set: the skin is never stretched");
        if (v.present() && !h.present())
            Add(kApp, "H-RESIZEAREA", "missing while V-RESIZEAREA is set: the skin is never stretched");

        CheckRect(kApp, "WEBCONTROLLOCATION", read_.Rect(kApp, "WEBCONTROLLOCATION", kPathBuffer), false);
        CheckRect(kApp, "URLEDITLOCATION", read_.Rect(kApp, "URLEDITLOCATION", kPathBuffer), false);
        CheckRect(kApp, "STATUSLOCATION", read_.Rect(kApp, "STATUSLOCATION", kPathBuffer), false);
        CheckRect(kApp, "CURSORAREA", read_.Rect(kApp, "CURSORAREA", kPathBuffer), false);

        const int aniFrame = read_.Int(kApp, "ANIFRAME", 0);
        const int aniDelay = read_.Int(kApp, "ANIDELAY", 0);
        const std::string aniFile = read_.Text(kApp, "ANIMATION", "", kPathBuffer);
        if (!aniFile.empty() && aniFrame && aniDelay) {
            CheckRect(kApp, "ANIMATIONLOCATION",
                      read_.Rect(kApp, "ANIMATIONLOCATION", kMainAnimationRectBuffer), true);
            DibLayout ignored;
            CheckBitmap(kApp, "ANIMATION", aniFile, &ignored);
        } else if (!aniFile.empty()) {
            Add(kApp, "ANIMATION", "named, but ANIFRAME or ANIDELAY is 0: no main animation is shown");
        }

        // The frame reads edge.pol when its picture is not stretched at
        // creation: the frame then has the skin's size, CX x CY.
        const int cx = read_.Int(kApp, "CX", 0), cy = read_.Int(kApp, "CY", 0);
        const bool traced = haveBackground_ &&
                            IsStretched(width0_, height0_, cx > 0 ? cx : 1, cy > 0 ? cy : 1, h, v);
        if (!traced && files_) {
            std::vector<uint8_t> bytes;
            switch (files_->Read(kEdgeFile, kLintOutlineLimit, &bytes)) {
            case SkinFiles::kMissing:
                Add(kApp, kEdgeFile, "missing from the package: the window keeps its rectangle");
                break;
            case SkinFiles::kTooLarge:
                Add(kApp, kEdgeFile, "larger than the client reads: the window keeps its rectangle");
                break;
            case SkinFiles::kRead: {
                std::vector<Point> points;
                const uint32_t count =
                    bytes.size() >= 4 ? bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                            static_cast<uint32_t>(bytes[3]) << 24
                                      : 0;
                if (count > skin_limits::kMaxOutlinePoints)
                    Add(kApp, kEdgeFile,
                        std::to_string(count) + " points, more than the client reads (" +
                            std::to_string(skin_limits::kMaxOutlinePoints) +
                            "): the window keeps its rectangle");
                else if (count > 0 && (bytes.size() - 4) / 8 >= count &&
                         !ParseEdgePol(bytes.data(), bytes.size(), &points))
                    Add(kApp, kEdgeFile,
                        "more than " + std::to_string(skin_limits::kMaxOutlineRowCrossings) +
                            " of its edges cross one row: the window keeps its rectangle");
                else if (!ParseEdgePol(bytes.data(), bytes.size(), &points))
                    Add(kApp, kEdgeFile,
                        "empty or shorter than its count says: the window keeps its rectangle");
                break;
            }
            }
        }
    }

    void CheckSectionCounts()
    {
        buttons_ = read_.Int(kApp, "BTNNUMBER", 0);
        animations_ = read_.Int(kApp, "ANINUMBER", 0);
        const std::vector<std::string> names = profile_.sectionNames();
        CheckCount("BTN", "BTNNUMBER", buttons_, kMostButtons, "button", names);
        CheckCount("ANI", "ANINUMBER", animations_, kMostAnimations, "animation", names);
    }

    void CheckCount(const std::string& prefix, const char* key, int count, int most,
                    const char* what, const std::vector<std::string>& names)
    {
        const std::string countText = std::to_string(count);
        if (count > most)
            Add(kApp, key,
                countText + ": the client reads the first " + std::to_string(most) + " " + what +
                    "s only (their ids end there)");
        std::map<std::string, int> seen;  // upper-case name -> sections of that name
        for (const std::string& name : names) {
            if (name.size() <= prefix.size() || !SameText(name.substr(0, prefix.size()), prefix))
                continue;
            const std::string digits = name.substr(prefix.size());
            if (digits.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const long n = digits.size() > 9 ? -1 : std::strtol(digits.c_str(), nullptr, 10);
            const std::string canonical = prefix + std::to_string(n);
            if (n < 1 || !SameText(name, canonical)) {
                Add(name, "", "never read: the client reads sections " + prefix + "1, " + prefix +
                                  "2 and so on");
                continue;
            }
            if (n > count) {
                Add(kApp, key, countText + ", so section " + name + " is never read");
                continue;
            }
            if (n > most) {
                Add(name, "", "never read: the client reads no more than " + std::to_string(most) +
                                  " " + what + "s");
                continue;
            }
            if (++seen[canonical] == 2)
                Add(name, "", "repeated section: only the first one is read");
        }
        std::vector<std::string> missing;
        for (int n = 1; n <= count && n <= most; ++n)
            if (!seen.count(prefix + std::to_string(n)))
                missing.push_back(prefix + std::to_string(n));
        if (missing.empty())
            return;
        std::string list;
        for (size_t i = 0; i < missing.size() && i < kMostNamesListed; ++i)
            list += (i ? ", " : "") + missing[i];
        if (missing.size() > kMostNamesListed)
            list += " and " + std::to_string(missing.size() - kMostNamesListed) + " more";
        Add(kApp, key,
            countText + ", but there is no section " + list + " (the " + what +
                (missing.size() > 1 ? "s get" : " gets") + " all defaults)");
        for (const std::string& name : missing)
            missingSections_.push_back(name);
    }

    bool Missing(const std::string& section) const
    {
        for (const std::string& name : missingSections_)
            if (name == section)
                return true;
        return false;
    }

    void CheckFunction(const std::string& section, const std::string& text)
    {
        const CommandKind kind = MatchCommand(text);
        if (kind == kCmdNone) {
            Add(section, "FUNCTION", Quote(text) + " matches no command: it does nothing");
        } else if (kind == kCmdNavigate) {
            if (text.size() < 9 || text[8] != ':')
                Add(section, "FUNCTION",
                    Quote(text) + ": the address must follow \"NAVIGATE:\"");
            else if (CommandParameter(text).empty())
                Add(section, "FUNCTION", Quote(text) + " names no address: it does nothing");
        } else if (kind == kCmdNewTavik) {
            if (NewWindowLaunchText(CommandParameter(text), 0).empty())
                Add(section, "FUNCTION",
                    Quote(text) + " needs \"NewTavik:\", a start address, a blank and a skin: "
                                  "it opens nothing");
        }
    }

    void CheckAnimation(int n)
    {
        const std::string section = "ANI" + std::to_string(n);
        if (Missing(section))
            return;
        CheckRect(section, "LOCATION", read_.Rect(section, "LOCATION", kPathBuffer), true);
        DibLayout layout;
        CheckBitmap(section, "BMP", read_.Text(section, "BMP", "", kPathBuffer), &layout);
        const std::string function = read_.Text(section, "FUNCTION", "", kAnimationFunctionBuffer);
        if (!function.empty())
            CheckFunction(section, function);
    }

    // The first token of a hotkey text that is neither a modifier nor a key
    // name, split as ParseHotkey splits.
    static std::string BadHotkeyToken(const std::string& text)
    {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('+', start);
            if (end == std::string::npos)
                end = text.size();
            std::string token = text.substr(start, end - start);
            start = end + 1;
            if (token.empty())
                continue;
            const size_t first = token.find_first_not_of(" \t");
            const std::string word = first == std::string::npos ? "" : token.substr(first);
            if (SameText(word.substr(0, 3), "ALT") || SameText(word.substr(0, 4), "CTRL") ||
                SameText(word.substr(0, 5), "SHIFT"))
                continue;
            int key = 0;
            if (!LookUpKey(word.c_str(), &key))
                return token;
        }
        return std::string();
    }

    void CheckHotkey(const std::string& section, const std::string& text)
    {
        int key = -1, alt = 0, ctrl = 0, shift = 0;
        if (!ParseHotkey(text.c_str(), &key, &alt, &ctrl, &shift)) {
            Add(section, "HOTKEY",
                Quote(text) + " does not parse: " + Quote(BadHotkeyToken(text)) +
                    " is no key name");
            return;
        }
        if (key < 0) {
            Add(section, "HOTKEY", Quote(text) + " names no key");
            return;
        }
        const auto combination = std::make_tuple(key, alt, ctrl, shift);
        auto it = hotkeys_.find(combination);
        if (it != hotkeys_.end()) {
            Add(section, "HOTKEY",
                Quote(text) + " is also the hotkey of " + it->second + ": only one of them runs");
            return;
        }
        hotkeys_[combination] = section;
    }

    void CheckButton(int n)
    {
        const std::string section = "BTN" + std::to_string(n);
        if (Missing(section))
            return;
        CheckRect(section, "LOCATION", read_.Rect(section, "LOCATION", kPathBuffer), true);
        DibLayout layout;
        CheckBitmap(section, "BMP", read_.Text(section, "BMP", "", kPathBuffer), &layout);
        const std::string function = read_.Text(section, "FUNCTION", "", kButtonFunctionBuffer);
        if (function.empty())
            Add(section, "FUNCTION", "empty: the button does nothing");
        else
            CheckFunction(section, function);
        const std::string hotkey = read_.Text(section, "HOTKEY", "", kHotkeyBuffer);
        if (!hotkey.empty())
            CheckHotkey(section, hotkey);
    }

    const char* configPath_;
    const SkinFiles* files_;
    ProfileFile profile_;
    Reader read_;
    std::vector<LintProblem> problems_;
    bool haveBackground_ = false;
    int width0_ = 0, height0_ = 0;
    int buttons_ = 0, animations_ = 0;
    std::vector<std::string> missingSections_;
    std::map<std::tuple<int, int, int, int>, std::string> hotkeys_;
};

}  // namespace

std::string FormatLintProblem(const LintProblem& problem)
{
    std::string line = "[" + problem.section + "]";
    if (!problem.key.empty())
        line += " " + problem.key;
    line += ": " + problem.text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return line;
}

SkinPackageKey ReadSkinPackageKey(const ProfileFile& profile)
{
    Reader read(profile);
    SkinPackageKey key;
    key.encrypt = read.Int(kApp, "ENCRYPT", 0) != 0;
    key.key = read.Text(kApp, "ENCRYPTKEY", "", kKeyBuffer);
    return key;
}

std::string DefaultPackagePath(const std::string& configPath)
{
    const size_t slash = configPath.find_last_of("\\/");
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = configPath.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return configPath + ".tvd";
    return configPath.substr(0, dot) + ".tvd";
}

std::vector<LintProblem> LintSkin(const char* configPath, const SkinFiles* files)
{
    return Linter(configPath, files).Run();
}
