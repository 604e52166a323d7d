// The hand-over record of WM_COPYDATA 1235.
#include <cstring>
#include <string>
#include <vector>

#include "core/designation.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Short inputs stand for a record of their own length; longer ones are
    // spread over a whole record so that the slots are reached.
    std::vector<uint8_t> record(data, data + size);
    if (size > 64 && size < kHandOverSize) {
        record.assign(kHandOverSize, 0);
        for (size_t i = 0; i < size; ++i)
            record[(i * 97) % kHandOverSize] = data[i];
    }
    std::string address, designation;
    if (!ParseHandOver(record.data(), record.size(), &address, &designation)) {
        FUZZ_CHECK(record.size() < 2 * kHandOverSlot);
        return 0;
    }
    for (const std::string* s : {&address, &designation}) {
        FUZZ_CHECK(s->size() <= kHandOverSlot - 1);
        FUZZ_CHECK(s->find('\0') == std::string::npos);
    }
    // Written again as a record, it reads back the same and its slots start
    // with the same bytes as the input's.
    std::vector<char> again(kHandOverSize, 0);
    std::memcpy(again.data(), address.data(), address.size());
    std::memcpy(again.data() + kHandOverSlot, designation.data(), designation.size());
    FUZZ_CHECK(std::memcmp(again.data(), record.data(), address.size()) == 0);
    FUZZ_CHECK(std::memcmp(again.data() + kHandOverSlot, record.data() + kHandOverSlot,
                           designation.size()) == 0);
    std::string a2, d2;
    FUZZ_CHECK(ParseHandOver(again.data(), again.size(), &a2, &d2));
    FUZZ_CHECK(a2 == address && d2 == designation);
    return 0;
}
