// The installer control's stream layout: any bytes read as the control's
// contents, then written again.
#include <string>
#include <vector>

#include "core/control_stream.h"
#include "fuzz_check.h"

using namespace control_stream;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses how many values the reader expects.
    const size_t count = data[0] % 16;
    const std::vector<uint8_t> bytes(data + 1, data + size);
    MemorySource source(bytes);
    Contents contents;
    if (!ReadContents(source, count, &contents))
        return 0;
    FUZZ_CHECK(source.Position() <= bytes.size());
    FUZZ_CHECK(contents.values.size() == count);
    FUZZ_CHECK(contents.hasExtent == (contents.version <= kVersion));
    for (const Value& v : contents.values) {
        FUZZ_CHECK(v.type == kTypeInt16 || v.type == kTypeInt32 || v.type == kTypeText ||
                   v.type == kTypeBool);
        if (v.type == kTypeText) {
            FUZZ_CHECK(v.text.find(u'\0') == std::u16string::npos);
            FUZZ_CHECK(v.isNull ? v.text.empty() : TextByteCount(v) <= kMaxTextBytes);
        }
        if (v.type == kTypeInt16 || v.type == kTypeBool)
            FUZZ_CHECK(v.integer >= -32768 && v.integer <= 32767);
        // Conversions never fail for integers to text, and a text made from
        // an integer reads back as that integer.
        Value out;
        if (v.type != kTypeText) {
            FUZZ_CHECK(ConvertValue(v, kTypeText, &out));
            Value back;
            FUZZ_CHECK(ConvertValue(out, kTypeInt32, &back));
            if (v.type == kTypeBool)
                FUZZ_CHECK(back.integer == (v.integer != 0 ? -1 : 0));
            else
                FUZZ_CHECK(back.integer == v.integer);
        } else if (ConvertValue(v, kTypeInt16, &out)) {
            FUZZ_CHECK(out.type == kTypeInt16 && out.integer >= -32768 && out.integer <= 32767);
        }
    }

    // Written again, it reads back the same; a version-514 stream gives its own
    // bytes again unless a text was cut at an inner zero (which only shortens).
    MemorySink sink;
    FUZZ_CHECK(WriteContents(sink, contents.width, contents.height, contents.values));
    MemorySource again(sink.bytes);
    Contents second;
    FUZZ_CHECK(ReadContents(again, count, &second));
    FUZZ_CHECK(again.Position() == sink.bytes.size());
    FUZZ_CHECK(second.version == kVersion && second.hasExtent);
    FUZZ_CHECK(second.width == contents.width && second.height == contents.height);
    for (size_t i = 0; i < count; ++i) {
        const Value &a = contents.values[i], &b = second.values[i];
        FUZZ_CHECK(a.type == b.type && a.integer == b.integer && a.isNull == b.isNull &&
                   a.text == b.text);
    }
    if (contents.version == kVersion) {
        FUZZ_CHECK(sink.bytes.size() <= source.Position());
        if (sink.bytes.size() == source.Position())
            FUZZ_CHECK(std::equal(sink.bytes.begin(), sink.bytes.end(), bytes.begin()));
    }
    return 0;
}
