#include "skinui/skin_profile.h"

#include <stdio.h>
#include <string.h>

#include "core/skin_values.h"

namespace {

const char kApp[] = "APPLICATION";

void Text(const char* path, const char* section, const char* key, const char* fallback,
          char* out, DWORD size)
{
    GetPrivateProfileStringA(section, key, fallback, out, size, path);
}

int Int(const char* path, const char* section, const char* key, int fallback)
{
    return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path));
}

void Rect(const char* path, const char* section, const char* key, DWORD size, RECT* rect)
{
    char text[kSkinPathSize];
    Text(path, section, key, "0,0,0,0", text, size);
    Box r{static_cast<int>(rect->left), static_cast<int>(rect->top),
          static_cast<int>(rect->right), static_cast<int>(rect->bottom)};
    ParseRectValue(text, &r);
    SetRect(rect, r.left, r.top, r.right, r.bottom);
}

}  // namespace

bool LoadSkinProfile(SkinConfig* skin, const char* path)
{
    SkinConfig& s = *skin;
    const char* slash = strrchr(path, '\\');
    if (slash) {
        const size_t length = static_cast<size_t>(slash - path) + 1;
        lstrcpynA(s.directory_, path,
                  static_cast<int>(length + 1 < sizeof s.directory_ ? length + 1 : sizeof s.directory_));
    }
    Text(path, kApp, "NAME", "", s.name_, kSkinTextSize);
    Text(path, kApp, "DIR", "", s.dir_, kSkinTextSize);
    const int x = Int(path, kApp, "X", 0);
    const int y = Int(path, kApp, "Y", 0);
    const int cx = Int(path, kApp, "CX", 0);
    const int cy = Int(path, kApp, "CY", 0);
    const int buttons = Int(path, kApp, "BTNNUMBER", 0);
    const int animations = Int(path, kApp, "ANINUMBER", 0);
    s.encrypt_ = Int(path, kApp, "ENCRYPT", 0);
    Text(path, kApp, "ENCRYPTKEY", "", s.encryptKey_, 255);
    s.launchOption_ = Int(path, kApp, "LAUNCHOPTION", 1);
    s.policy_ = Int(path, kApp, "POLICY", 0);
    s.align_ = Int(path, kApp, "ALIGN", 0);
    s.topmost_ = Int(path, kApp, "TOPMOST", 0);
    s.startMenuLink_ = Int(path, kApp, "STARTMENULINK", 0);
    s.desktopLink_ = Int(path, kApp, "DESKTOPLINK", 0);
    s.antialias_ = Int(path, kApp, "ANTIALIAS", 0);
    Text(path, kApp, "LINKNAME", "", s.linkName_, 260);
    Text(path, kApp, "BACKGROUND", "", s.backgroundFile_, 260);
    Text(path, kApp, "TAL", "", s.authLibraryFile_, 260);
    Rect(path, kApp, "WEBCONTROLLOCATION", 260, &s.webRect_);
    Rect(path, kApp, "URLEDITLOCATION", 260, &s.urlEditRect_);
    Rect(path, kApp, "STATUSLOCATION", 260, &s.statusRect_);
    Rect(path, kApp, "CURSORAREA", 260, &s.cursorArea_);
    char text[kSkinPathSize];
    int xa = 0, xb = 0, ya = 0, yb = 0;
    Text(path, kApp, "H-RESIZEAREA", "0,0", text, 260);
    ParsePairValue(text, &xa, &xb);
    Text(path, kApp, "V-RESIZEAREA", "0,0", text, 260);
    ParsePairValue(text, &ya, &yb);
    Text(path, kApp, "STATUSCOLOR", "0,0,0", text, 260);
    s.statusColor_ = ParseColorValue(text, 0);

    SetRect(&s.windowRect_, x, y, x + cx, y + cy);
    lstrcpyA(s.edgeFile_, "edge.pol");
    SetRect(&s.hResizeArea_, xa, y, xb, y + cy);
    SetRect(&s.vResizeArea_, x, ya, x + cx, yb);

    char section[32];
    for (int n = 1; n <= animations; ++n) {
        snprintf(section, sizeof section, "ANI%d", n);
        AnimationSpec* entry = new AnimationSpec;
        Rect(path, section, "LOCATION", 260, &entry->rect);
        Text(path, section, "BMP", "", entry->bitmapFile, 260);
        Text(path, section, "FUNCTION", "", entry->function, 260);
        entry->delay = Int(path, section, "DELAY", 100);
        entry->frameCount = Int(path, section, "FRAME", 1);
        entry->indicator = Int(path, section, "INDIGATOR", 0);
        s.animationSpecs_.AddHead(entry);
    }
    for (int n = 1; n <= buttons; ++n) {
        snprintf(section, sizeof section, "BTN%d", n);
        ButtonSpec* entry = new ButtonSpec;
        Rect(path, section, "LOCATION", 260, &entry->rect);
        Text(path, section, "BMP", "", entry->bitmapFile, 260);
        Text(path, section, "FUNCTION", "", entry->function, kSkinTextSize);
        Text(path, section, "TOOLTIP", entry->function, entry->tooltip, kSkinTextSize);
        Text(path, section, "HOTKEY", "", entry->hotkey, 64);
        s.buttonSpecs_.AddHead(entry);
    }

    const int aniFrame = Int(path, kApp, "ANIFRAME", 0);
    const int aniDelay = Int(path, kApp, "ANIDELAY", 0);
    RECT aniRect = {0, 0, 0, 0};
    Rect(path, kApp, "ANIMATIONLOCATION", 259, &aniRect);
    char aniFile[kSkinPathSize];
    Text(path, kApp, "ANIMATION", "", aniFile, 260);
    if (aniFrame && aniDelay && aniFile[0]) {
        s.mainAnimationSpec_ = new AnimationSpec;
        s.mainAnimationSpec_->rect = aniRect;
        lstrcpyA(s.mainAnimationSpec_->bitmapFile, aniFile);
        s.mainAnimationSpec_->frameCount = aniFrame;
        s.mainAnimationSpec_->delay = aniDelay;
        s.mainAnimationSpec_->indicator = 1;
    }
    s.ResolvePaths();
    return true;
}

