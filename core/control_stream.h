// The installer control's stream layout (stream persistence and the
// "Contents" stream of storage persistence), little-endian:
//   uint32 version (514); int32 width, int32 height (HIMETRIC);
//   then per property, in DISPID order, a tagged value:
//   uint16 type (8 text, 2 int16, 3 int32, 11 bool), then the value:
//   2 or 4 bytes for integers and bool; for text a uint32 byte count (UTF-16
//   bytes + 2 for the terminating zero; 0 for a null text) and those bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace control_stream {

constexpr uint32_t kVersion = 514;
// The stream's head: the version, then the extent; the first value follows.
constexpr size_t kVersionOffset = 0;
constexpr size_t kWidthOffset = 4;
constexpr size_t kHeightOffset = 8;
constexpr size_t kHeadSize = 12;
constexpr uint16_t kTypeInt16 = 2;
constexpr uint16_t kTypeInt32 = 3;
constexpr uint16_t kTypeText = 8;
constexpr uint16_t kTypeBool = 11;
// A stored text longer than this is refused instead of allocated on trust.
constexpr uint32_t kMaxTextBytes = 1u << 20;

struct Value {
    uint16_t type = kTypeInt32;
    int32_t integer = 0;       // types 2, 3 and 11
    bool isNull = true;        // type 8: a null text (byte count 0)
    std::u16string text;       // type 8

    static Value Int16(int16_t v) { Value x; x.type = kTypeInt16; x.integer = v; return x; }
    static Value Int32(int32_t v) { Value x; x.type = kTypeInt32; x.integer = v; return x; }
    static Value Text(const std::u16string& t) { Value x; x.type = kTypeText; x.isNull = false; x.text = t; return x; }
    static Value NullText() { Value x; x.type = kTypeText; return x; }
};

struct Contents {
    uint32_t version = kVersion;
    bool hasExtent = false;  // false when a newer version skipped the extent
    int32_t width = 0, height = 0;
    std::vector<Value> values;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(const void* data, size_t size) = 0;
};
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // True only when all `size` bytes were read.
    virtual bool Read(void* data, size_t size) = 0;
};

// Whether a value can be written so that ReadValue takes it back: a text
// needs at most kMaxTextBytes with its terminating zero.
bool ValueFits(const Value& value);

// Writes version 514, the extent and the values. False, with nothing
// written, when a value does not fit (ValueFits).
bool WriteContents(ByteSink& sink, int32_t width, int32_t height, const std::vector<Value>& values);
// False, with nothing written, when the value does not fit.
bool WriteValue(ByteSink& sink, const Value& value);

// Reads the version; the extent only when the version is at most 514; then
// `count` tagged values. False on a short stream, an unknown type, a text
// count that is odd, too large or lacks its terminating zero.
bool ReadContents(ByteSource& source, size_t count, Contents* contents);
bool ReadValue(ByteSource& source, Value* value);

// Converts `in` to `type` (2, 3 or 8): integers between each other when the
// value fits, integers to decimal text, text holding a decimal integer (blanks
// around it allowed) to an integer, bool to -1 or 0. False when it cannot.
bool ConvertValue(const Value& in, uint16_t type, Value* out);

// The byte count a text takes after its count field.
inline uint32_t TextByteCount(const Value& v)
{
    return v.isNull ? 0 : static_cast<uint32_t>((v.text.size() + 1) * 2);
}

// A sink and a source over memory, for tests and for measuring.
class MemorySink : public ByteSink {
public:
    bool Write(const void* data, size_t size) override
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
        return true;
    }
    std::vector<uint8_t> bytes;
};
class MemorySource : public ByteSource {
public:
    explicit MemorySource(const std::vector<uint8_t>& b) : bytes_(b) {}
    bool Read(void* data, size_t size) override;
    size_t Position() const { return at_; }

private:
    const std::vector<uint8_t>& bytes_;
    size_t at_ = 0;
};

}  // namespace control_stream
