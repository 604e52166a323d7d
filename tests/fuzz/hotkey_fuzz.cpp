// Hotkey strings.
#include <string>

#include "core/hotkey.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);  // cut at a zero
    int key = -1, alt = 0, ctrl = 0, shift = 0;
    const int ok = ParseHotkey(text.c_str(), &key, &alt, &ctrl, &shift);
    FUZZ_CHECK(ok == 0 || ok == 1);
    FUZZ_CHECK(key == -1 || (key >= 0 && key <= 255));
    for (int flag : {alt, ctrl, shift})
        FUZZ_CHECK(flag == 0 || flag == 1);
    int code = -1;
    if (LookUpKey(text.c_str(), &code))
        FUZZ_CHECK(code >= 0 && code <= 255);
    return 0;
}
