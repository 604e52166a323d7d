#include "core/control_stream.h"

#include <cstring>
#include <limits>

namespace control_stream {

namespace {

bool PutU16(ByteSink& sink, uint16_t v)
{
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    return sink.Write(b, 2);
}
bool PutU32(ByteSink& sink, uint32_t v)
{
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    return sink.Write(b, 4);
}
bool GetU16(ByteSource& source, uint16_t* v)
{
    uint8_t b[2];
    if (!source.Read(b, 2))
        return false;
    *v = static_cast<uint16_t>(b[0] | b[1] << 8);
    return true;
}
bool GetU32(ByteSource& source, uint32_t* v)
{
    uint8_t b[4];
    if (!source.Read(b, 4))
        return false;
    *v = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
    return true;
}

bool ParseDecimal(const std::u16string& text, int64_t* out)
{
    size_t i = 0, n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (i >= n || text[i] < u'0' || text[i] > u'9')
        return false;
    int64_t v = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        v = v * 10 + (text[i++] - u'0');
        if (v > 0xFFFFFFFFll)
            return false;
    }
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return false;
    *out = negative ? -v : v;
    return true;
}

}  // namespace

bool MemorySource::Read(void* data, size_t size)
{
    if (size > bytes_.size() - at_)
        return false;
    if (size > 0)
        std::memcpy(data, bytes_.data() + at_, size);
    at_ += size;
    return true;
}

bool ValueFits(const Value& value)
{
    return value.type != kTypeText || value.isNull || value.text.size() < kMaxTextBytes / 2;
}

bool WriteValue(ByteSink& sink, const Value& value)
{
    if (!ValueFits(value))
        return false;
    if (!PutU16(sink, value.type))
        return false;
    switch (value.type) {
    case kTypeInt16:
    case kTypeBool:
        return PutU16(sink, static_cast<uint16_t>(value.integer));
    case kTypeInt32:
        return PutU32(sink, static_cast<uint32_t>(value.integer));
    case kTypeText: {
        const uint32_t count = TextByteCount(value);
        if (!PutU32(sink, count))
            return false;
        if (count == 0)
            return true;
        std::vector<uint8_t> bytes;
        bytes.reserve(count);
        for (char16_t c : value.text) {
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
        return sink.Write(bytes.data(), bytes.size());
    }
    }
    return false;
}

bool WriteContents(ByteSink& sink, int32_t width, int32_t height, const std::vector<Value>& values)
{
    for (const Value& v : values)
        if (!ValueFits(v))
            return false;
    uint8_t head[kHeadSize] = {};
    auto put = [&](size_t at, uint32_t v) {
        for (size_t i = 0; i < 4; ++i)
            head[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(kVersionOffset, kVersion);
    put(kWidthOffset, static_cast<uint32_t>(width));
    put(kHeightOffset, static_cast<uint32_t>(height));
    if (!sink.Write(head, kHeadSize))
        return false;
    for (const Value& v : values)
        if (!WriteValue(sink, v))
            return false;
    return true;
}

bool ReadValue(ByteSource& source, Value* value)
{
    Value v;
    if (!GetU16(source, &v.type))
        return false;
    switch (v.type) {
    case kTypeInt16:
    case kTypeBool: {
        uint16_t x;
        if (!GetU16(source, &x))
            return false;
        v.integer = static_cast<int16_t>(x);
        break;
    }
    case kTypeInt32: {
        uint32_t x;
        if (!GetU32(source, &x))
            return false;
        v.integer = static_cast<int32_t>(x);
        break;
    }
    case kTypeText: {
        uint32_t count;
        if (!GetU32(source, &count))
            return false;
        if (count == 0) {
            v.isNull = true;
            break;
        }
        if (count % 2 != 0 || count > kMaxTextBytes)
            return false;
        std::vector<uint8_t> bytes(count);
        if (!source.Read(bytes.data(), count))
            return false;
        if (bytes[count - 1] != 0 || bytes[count - 2] != 0)
            return false;
        v.isNull = false;
        for (uint32_t i = 0; i + 2 < count; i += 2)
            v.text.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
        // Like a BSTR seen as a C string: the text ends at its first zero.
        v.text = v.text.substr(0, v.text.find(u'\0'));
        break;
    }
    default:
        return false;
    }
    *value = v;
    return true;
}

bool ReadContents(ByteSource& source, size_t count, Contents* contents)
{
    Contents c;
    if (!GetU32(source, &c.version))
        return false;
    if (c.version <= kVersion) {
        uint32_t w, h;
        if (!GetU32(source, &w) || !GetU32(source, &h))
            return false;
        c.hasExtent = true;
        c.width = static_cast<int32_t>(w);
        c.height = static_cast<int32_t>(h);
    }
    for (size_t i = 0; i < count; ++i) {
        Value v;
        if (!ReadValue(source, &v))
            return false;
        c.values.push_back(v);
    }
    *contents = c;
    return true;
}

bool ConvertValue(const Value& in, uint16_t type, Value* out)
{
    if (in.type == type) {
        *out = in;
        return true;
    }
    int64_t number = 0;
    if (in.type == kTypeText) {
        if (in.isNull)
            number = 0;  // an empty text converts to zero, as a variant would
        else if (!ParseDecimal(in.text, &number))
            return false;
    } else if (in.type == kTypeBool) {
        number = in.integer != 0 ? -1 : 0;
    } else {
        number = in.integer;
    }
    switch (type) {
    case kTypeInt16:
        if (number < std::numeric_limits<int16_t>::min() || number > std::numeric_limits<int16_t>::max())
            return false;
        *out = Value::Int16(static_cast<int16_t>(number));
        return true;
    case kTypeInt32:
        if (number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max())
            return false;
        *out = Value::Int32(static_cast<int32_t>(number));
        return true;
    case kTypeText: {
        const std::string digits = std::to_string(number);
        *out = Value::Text(std::u16string(digits.begin(), digits.end()));
        return true;
    }
    }
    return false;
}

}  // namespace control_stream
