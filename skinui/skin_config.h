// The skin record: what a skin configuration file (.tvc) says. The profile
// loader (skin_profile.h) fills it; SkinPackage (skin_package.h) unpacks the
// files it names.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "basekit.h"
#include "core/text_limits.h"

enum {
    kSkinTextSize = kLongText,  // addresses, names, command texts
    // Room for the longest name and button text a loader keeps (the
    // personal browser's limit is the larger).
    kSkinWideTextSize = kWideText,
    kSkinPathSize = 260,
    kSkinKeySize = 255,
    kSkinHotkeySize = 64,
};

struct SkinProfileKeys;

struct ButtonSpec {
    RECT rect = {0, 0, 0, 0};
    char function[kSkinWideTextSize] = {0};
    char bitmapFile[kSkinPathSize] = {0};
    char tooltip[kSkinWideTextSize] = {0};
    char hotkey[kSkinHotkeySize] = {0};
};

struct AnimationSpec {
    RECT rect = {0, 0, 0, 0};
    char function[kSkinTextSize] = {0};
    char bitmapFile[kSkinPathSize] = {0};
    int delay = 0;
    int frameCount = 0;
    int indicator = 0;
};

class SkinConfig {
public:
    SkinConfig();
    ~SkinConfig();
    SkinConfig(const SkinConfig&) = delete;
    SkinConfig& operator=(const SkinConfig&) = delete;

    // Defaults: texts empty, numbers 0 but launchOption 1, no main animation.
    void Reset();
    // Frees every entry and the main animation, empties the lists, Reset().
    void Clear();
    // Clear(), then a deep copy of `other`; the lists come out reversed.
    void Assign(const SkinConfig& other);
    // Puts `directory` in front of every file name (Load's last step).
    void ResolvePaths();
    // True when every file name the record holds, before ResolvePaths, is
    // empty (no file) or a plain file name of the skin folder
    // (core/file_names.h): BACKGROUND, TAL, the main ANIMATION and every
    // button's and animation's BMP.
    bool FileNamesArePlain() const;

    // The files the package extraction wrote into `directory`, as stored
    // names (plain file names): what DeleteExtractedFiles removes. Assign
    // copies them; Clear forgets them (without deleting).
    const std::vector<std::string>& extractedFiles() const { return extractedFiles_; }
    void addExtractedFiles(const std::vector<std::string>& names);
    void forgetExtractedFiles() { extractedFiles_.clear(); }

    const char* directory() const { return directory_; }
    const char* name() const { return name_; }
    const char* dir() const { return dir_; }
    const char* edgeFile() const { return edgeFile_; }
    const char* backgroundFile() const { return backgroundFile_; }
    // Null when the skin names no authentication library.
    const char* authLibraryFile() const { return authLibraryFile_[0] ? authLibraryFile_ : nullptr; }
    const char* linkName() const { return linkName_; }
    int policy() const { return policy_; }
    void setPolicy(int policy) { policy_ = policy; }
    int launchOption() const { return launchOption_; }
    int topmost() const { return topmost_; }
    int align() const { return align_; }
    int antialias() const { return antialias_; }
    const RECT& windowRect() const { return windowRect_; }
    const RECT& webRect() const { return webRect_; }
    const RECT& urlEditRect() const { return urlEditRect_; }
    const RECT& statusRect() const { return statusRect_; }
    const RECT& cursorArea() const { return cursorArea_; }
    // False (none) unless ya or yb (xa or xb) is nonzero.
    bool vResizeArea(RECT* out) const;
    bool hResizeArea(RECT* out) const;
    COLORREF statusColor() const { return statusColor_; }
    int desktopLink() const { return desktopLink_; }
    int startMenuLink() const { return startMenuLink_; }
    const char* encryptKey() const { return encryptKey_; }
    int encrypt() const { return encrypt_; }
    const AnimationSpec* mainAnimationSpec() const { return mainAnimationSpec_; }

    int buttonCount() const { return buttonSpecs_.GetCount(); }
    int animationCount() const { return animationSpecs_.GetCount(); }
    // Null when the index is out of range. Index 0 is the highest section.
    const ButtonSpec* button(int index) const;
    const AnimationSpec* animation(int index) const;
    bool copyButton(int index, ButtonSpec* out) const;
    bool copyAnimation(int index, AnimationSpec* out) const;

private:
    friend bool LoadSkinProfile(SkinConfig* skin, const char* path, const SkinProfileKeys& keys);

    char directory_[kSkinPathSize];
    char name_[kSkinWideTextSize];
    char dir_[kSkinWideTextSize];
    char edgeFile_[kSkinPathSize];
    char backgroundFile_[kSkinPathSize];
    char authLibraryFile_[kSkinPathSize];
    char linkName_[kSkinPathSize];
    int policy_;
    int launchOption_;
    int topmost_;
    int align_;
    RECT windowRect_;
    RECT webRect_;
    RECT urlEditRect_;
    RECT statusRect_;
    RECT cursorArea_;
    RECT vResizeArea_;
    RECT hResizeArea_;
    COLORREF statusColor_;
    int desktopLink_;
    int startMenuLink_;
    char encryptKey_[kSkinKeySize];
    int encrypt_;
    int antialias_;
    mutable BkPtrList buttonSpecs_;
    mutable BkPtrList animationSpecs_;
    AnimationSpec* mainAnimationSpec_;
    std::vector<std::string> extractedFiles_;
};
