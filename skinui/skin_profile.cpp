#include "skinui/skin_profile.h"

#include <stdio.h>
#include <string.h>

#include "core/profile_reader.h"
#include "core/skin_limits.h"
#include "core/skin_values.h"

namespace {

const char kApp[] = "APPLICATION";

// The file is read once; every key is answered from memory exactly as the
// profile functions would answer it.
void Text(const ProfileFile& ini, const char* section, const char* key, const char* fallback,
          char* out, DWORD size)
{
    ini.GetString(section, key, fallback, out, size);
}

int Int(const ProfileFile& ini, const char* section, const char* key, int fallback)
{
    return static_cast<int>(ini.GetInt(section, key, fallback));
}

void Rect(const ProfileFile& ini, const char* section, const char* key, DWORD size, RECT* rect)
{
    char text[kSkinPathSize];
    Text(ini, section, key, "0,0,0,0", text, size);
    Box r{static_cast<int>(rect->left), static_cast<int>(rect->top),
          static_cast<int>(rect->right), static_cast<int>(rect->bottom)};
    ParseRectValue(text, &r);
    SetRect(rect, r.left, r.top, r.right, r.bottom);
}

}  // namespace

const SkinProfileKeys kClientProfileKeys = {kSkinTextSize, true};
const SkinProfileKeys kPersonalProfileKeys = {kSkinWideTextSize, false};

bool LoadSkinProfile(SkinConfig* skin, const char* path, const SkinProfileKeys& keys)
{
    SkinConfig& s = *skin;
    const ProfileFile ini = ProfileFile::Load(path);
    if (ini.source() == ProfileFile::Source::kTooLarge)
        return false;  // no skin is that large: the skin cannot be used
    // The folder ends where the command line's rule ends it: at the last
    // backslash or '/'.
    const char* slash = strrchr(path, '\\');
    const char* forward = strrchr(path, '/');
    if (forward && (!slash || forward > slash))
        slash = forward;
    if (slash) {
        const size_t length = static_cast<size_t>(slash - path) + 1;
        lstrcpynA(s.directory_, path,
                  static_cast<int>(length + 1 < sizeof s.directory_ ? length + 1 : sizeof s.directory_));
    }
    Text(ini, kApp, "NAME", "", s.name_, keys.textSize);
    Text(ini, kApp, "DIR", "", s.dir_, keys.textSize);
    const int x = Int(ini, kApp, "X", 0);
    const int y = Int(ini, kApp, "Y", 0);
    const int cx = Int(ini, kApp, "CX", 0);
    const int cy = Int(ini, kApp, "CY", 0);
    const int buttons = Int(ini, kApp, "BTNNUMBER", 0);
    const int animations = Int(ini, kApp, "ANINUMBER", 0);
    s.encrypt_ = Int(ini, kApp, "ENCRYPT", 0);
    Text(ini, kApp, "ENCRYPTKEY", "", s.encryptKey_, 255);
    s.launchOption_ = Int(ini, kApp, "LAUNCHOPTION", 1);
    if (keys.clientKeys)
        s.policy_ = Int(ini, kApp, "POLICY", 0);
    s.align_ = Int(ini, kApp, "ALIGN", 0);
    s.topmost_ = Int(ini, kApp, "TOPMOST", 0);
    if (keys.clientKeys) {
        s.startMenuLink_ = Int(ini, kApp, "STARTMENULINK", 0);
        s.desktopLink_ = Int(ini, kApp, "DESKTOPLINK", 0);
    }
    s.antialias_ = Int(ini, kApp, "ANTIALIAS", 0);
    if (keys.clientKeys)
        Text(ini, kApp, "LINKNAME", "", s.linkName_, 260);
    Text(ini, kApp, "BACKGROUND", "", s.backgroundFile_, 260);
    if (keys.clientKeys)
        Text(ini, kApp, "TAL", "", s.authLibraryFile_, 260);
    Rect(ini, kApp, "WEBCONTROLLOCATION", 260, &s.webRect_);
    Rect(ini, kApp, "URLEDITLOCATION", 260, &s.urlEditRect_);
    Rect(ini, kApp, "STATUSLOCATION", 260, &s.statusRect_);
    Rect(ini, kApp, "CURSORAREA", 260, &s.cursorArea_);
    char text[kSkinPathSize];
    int xa = 0, xb = 0, ya = 0, yb = 0;
    Text(ini, kApp, "H-RESIZEAREA", "0,0", text, 260);
    ParsePairValue(text, &xa, &xb);
    Text(ini, kApp, "V-RESIZEAREA", "0,0", text, 260);
    ParsePairValue(text, &ya, &yb);
    Text(ini, kApp, "STATUSCOLOR", "0,0,0", text, 260);
    s.statusColor_ = ParseColorValue(text, 0);

    SetRect(&s.windowRect_, x, y, x + cx, y + cy);
    lstrcpyA(s.edgeFile_, "edge.pol");
    SetRect(&s.hResizeArea_, xa, y, xb, y + cy);
    SetRect(&s.vResizeArea_, x, ya, x + cx, yb);

    char section[32];
    // Sections beyond the ids the controls can have are not read.
    for (int n = 1; n <= animations && n <= skin_limits::kMaxAnimations; ++n) {
        snprintf(section, sizeof section, "ANI%d", n);
        AnimationSpec* entry = new AnimationSpec;
        Rect(ini, section, "LOCATION", 260, &entry->rect);
        Text(ini, section, "BMP", "", entry->bitmapFile, 260);
        Text(ini, section, "FUNCTION", "", entry->function, 260);
        entry->delay = Int(ini, section, "DELAY", 100);
        entry->frameCount = Int(ini, section, "FRAME", 1);
        entry->indicator = Int(ini, section, "INDIGATOR", 0);
        s.animationSpecs_.AddHead(entry);
    }
    for (int n = 1; n <= buttons && n <= skin_limits::kMaxButtons; ++n) {
        snprintf(section, sizeof section, "BTN%d", n);
        ButtonSpec* entry = new ButtonSpec;
        Rect(ini, section, "LOCATION", 260, &entry->rect);
        Text(ini, section, "BMP", "", entry->bitmapFile, 260);
        Text(ini, section, "FUNCTION", "", entry->function, keys.textSize);
        Text(ini, section, "TOOLTIP", entry->function, entry->tooltip, keys.textSize);
        Text(ini, section, "HOTKEY", "", entry->hotkey, 64);
        s.buttonSpecs_.AddHead(entry);
    }

    if (keys.clientKeys) {  // the main animation
        const int aniFrame = Int(ini, kApp, "ANIFRAME", 0);
        const int aniDelay = Int(ini, kApp, "ANIDELAY", 0);
        RECT aniRect = {0, 0, 0, 0};
        Rect(ini, kApp, "ANIMATIONLOCATION", 259, &aniRect);
        char aniFile[kSkinPathSize];
        Text(ini, kApp, "ANIMATION", "", aniFile, 260);
        if (aniFrame && aniDelay && aniFile[0]) {
            s.mainAnimationSpec_ = new AnimationSpec;
            s.mainAnimationSpec_->rect = aniRect;
            lstrcpyA(s.mainAnimationSpec_->bitmapFile, aniFile);
            s.mainAnimationSpec_->frameCount = aniFrame;
            s.mainAnimationSpec_->delay = aniDelay;
            s.mainAnimationSpec_->indicator = 1;
        }
    }
    // A name that leaves the skin folder makes the skin unusable: nothing of
    // it is read, extracted or deleted.
    if (!s.FileNamesArePlain()) {
        s.Clear();
        return false;
    }
    s.ResolvePaths();
    return true;
}

