#include "skin_config.h"

#include <stdio.h>
#include <string.h>

#include "core/file_names.h"


namespace {

void Resolve(const char* directory, char* file, size_t size)
{
    char joined[kSkinPathSize];
    snprintf(joined, sizeof joined, "%s%s", directory, file);
    lstrcpynA(file, joined, static_cast<int>(size));
}

}  // namespace

SkinConfig::SkinConfig() : buttonSpecs_(10), animationSpecs_(10), mainAnimationSpec_(nullptr)
{
    Reset();
}

SkinConfig::~SkinConfig() { Clear(); }

void SkinConfig::Reset()
{
    directory_[0] = name_[0] = dir_[0] = edgeFile_[0] = '\0';
    backgroundFile_[0] = authLibraryFile_[0] = linkName_[0] = encryptKey_[0] = '\0';
    policy_ = topmost_ = align_ = 0;
    launchOption_ = 1;
    SetRectEmpty(&windowRect_);
    SetRectEmpty(&webRect_);
    SetRectEmpty(&urlEditRect_);
    SetRectEmpty(&statusRect_);
    SetRectEmpty(&cursorArea_);
    SetRectEmpty(&vResizeArea_);
    SetRectEmpty(&hResizeArea_);
    statusColor_ = 0;
    desktopLink_ = startMenuLink_ = encrypt_ = antialias_ = 0;
    mainAnimationSpec_ = nullptr;
    extractedFiles_.clear();
}

void SkinConfig::Clear()
{
    delete mainAnimationSpec_;
    mainAnimationSpec_ = nullptr;
    for (BKPOSITION pos = buttonSpecs_.GetHeadPosition(); pos;)
        delete static_cast<ButtonSpec*>(buttonSpecs_.GetNext(pos));
    for (BKPOSITION pos = animationSpecs_.GetHeadPosition(); pos;)
        delete static_cast<AnimationSpec*>(animationSpecs_.GetNext(pos));
    buttonSpecs_.RemoveAll();
    animationSpecs_.RemoveAll();
    Reset();
}

void SkinConfig::ResolvePaths()
{
    Resolve(directory_, edgeFile_, sizeof edgeFile_);
    if (backgroundFile_[0])
        Resolve(directory_, backgroundFile_, sizeof backgroundFile_);
    if (authLibraryFile_[0])
        Resolve(directory_, authLibraryFile_, sizeof authLibraryFile_);
    if (mainAnimationSpec_)
        Resolve(directory_, mainAnimationSpec_->bitmapFile, sizeof mainAnimationSpec_->bitmapFile);
    for (BKPOSITION pos = buttonSpecs_.GetHeadPosition(); pos;) {
        ButtonSpec* entry = static_cast<ButtonSpec*>(buttonSpecs_.GetNext(pos));
        Resolve(directory_, entry->bitmapFile, sizeof entry->bitmapFile);
    }
    for (BKPOSITION pos = animationSpecs_.GetHeadPosition(); pos;) {
        AnimationSpec* entry = static_cast<AnimationSpec*>(animationSpecs_.GetNext(pos));
        Resolve(directory_, entry->bitmapFile, sizeof entry->bitmapFile);
    }
}

namespace {

bool NoneOrPlain(const char* name) { return name[0] == '\0' || IsPlainFileName(name); }

}  // namespace

bool SkinConfig::FileNamesArePlain() const
{
    if (!NoneOrPlain(backgroundFile_) || !NoneOrPlain(authLibraryFile_))
        return false;
    if (mainAnimationSpec_ && !NoneOrPlain(mainAnimationSpec_->bitmapFile))
        return false;
    for (BKPOSITION pos = buttonSpecs_.GetHeadPosition(); pos;)
        if (!NoneOrPlain(static_cast<const ButtonSpec*>(buttonSpecs_.GetNext(pos))->bitmapFile))
            return false;
    for (BKPOSITION pos = animationSpecs_.GetHeadPosition(); pos;)
        if (!NoneOrPlain(static_cast<const AnimationSpec*>(animationSpecs_.GetNext(pos))->bitmapFile))
            return false;
    return true;
}

void SkinConfig::addExtractedFiles(const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        bool known = false;
        for (const std::string& have : extractedFiles_)
            known = known || SameFileName(have.c_str(), name.c_str());
        if (!known)
            extractedFiles_.push_back(name);
    }
}

void SkinConfig::Assign(const SkinConfig& other)
{
    if (&other == this)
        return;
    Clear();
    memcpy(directory_, other.directory_, sizeof directory_);
    memcpy(name_, other.name_, sizeof name_);
    memcpy(dir_, other.dir_, sizeof dir_);
    memcpy(edgeFile_, other.edgeFile_, sizeof edgeFile_);
    memcpy(backgroundFile_, other.backgroundFile_, sizeof backgroundFile_);
    memcpy(authLibraryFile_, other.authLibraryFile_, sizeof authLibraryFile_);
    memcpy(linkName_, other.linkName_, sizeof linkName_);
    policy_ = other.policy_;
    launchOption_ = other.launchOption_;
    topmost_ = other.topmost_;
    align_ = other.align_;
    windowRect_ = other.windowRect_;
    webRect_ = other.webRect_;
    urlEditRect_ = other.urlEditRect_;
    statusRect_ = other.statusRect_;
    cursorArea_ = other.cursorArea_;
    vResizeArea_ = other.vResizeArea_;
    hResizeArea_ = other.hResizeArea_;
    statusColor_ = other.statusColor_;
    desktopLink_ = other.desktopLink_;
    startMenuLink_ = other.startMenuLink_;
    memcpy(encryptKey_, other.encryptKey_, sizeof encryptKey_);
    encrypt_ = other.encrypt_;
    antialias_ = other.antialias_;
    for (BKPOSITION pos = other.buttonSpecs_.GetHeadPosition(); pos;)
        buttonSpecs_.AddHead(new ButtonSpec(*static_cast<ButtonSpec*>(other.buttonSpecs_.GetNext(pos))));
    for (BKPOSITION pos = other.animationSpecs_.GetHeadPosition(); pos;)
        animationSpecs_.AddHead(
            new AnimationSpec(*static_cast<AnimationSpec*>(other.animationSpecs_.GetNext(pos))));
    if (other.mainAnimationSpec_)
        mainAnimationSpec_ = new AnimationSpec(*other.mainAnimationSpec_);
    extractedFiles_ = other.extractedFiles_;
}

bool SkinConfig::vResizeArea(RECT* out) const
{
    if (vResizeArea_.top == 0 && vResizeArea_.bottom == 0)
        return false;
    *out = vResizeArea_;
    return true;
}

bool SkinConfig::hResizeArea(RECT* out) const
{
    if (hResizeArea_.left == 0 && hResizeArea_.right == 0)
        return false;
    *out = hResizeArea_;
    return true;
}

const ButtonSpec* SkinConfig::button(int index) const
{
    BKPOSITION pos = buttonSpecs_.FindIndex(index);
    return pos ? static_cast<const ButtonSpec*>(buttonSpecs_.GetAt(pos)) : nullptr;
}

const AnimationSpec* SkinConfig::animation(int index) const
{
    BKPOSITION pos = animationSpecs_.FindIndex(index);
    return pos ? static_cast<const AnimationSpec*>(animationSpecs_.GetAt(pos)) : nullptr;
}

bool SkinConfig::copyButton(int index, ButtonSpec* out) const
{
    const ButtonSpec* entry = button(index);
    if (entry)
        *out = *entry;
    return entry != nullptr;
}

bool SkinConfig::copyAnimation(int index, AnimationSpec* out) const
{
    const AnimationSpec* entry = animation(index);
    if (entry)
        *out = *entry;
    return entry != nullptr;
}
