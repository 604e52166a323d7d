#include "core/profile_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/skin_limits.h"

namespace {

// Characters an integer buffer holds, terminating zero included.
constexpr uint32_t kIntBufferSize = 30;

bool IsBlank(unsigned char c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

unsigned char Fold(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// [begin, end) with ASCII letters upper-cased: the key of the indexes.
std::string Folded(const char* begin, const char* end)
{
    std::string folded(begin, end);
    for (char& c : folded)
        c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    return folded;
}

// The asked-for name without blanks around it, as [*begin, *end).
void TrimName(const char* text, const char** begin, const char** end)
{
    const char* b = text;
    while (IsBlank(static_cast<unsigned char>(*b)))
        ++b;
    const char* e = b + strlen(b);
    while (e > b && IsBlank(static_cast<unsigned char>(e[-1])))
        --e;
    *begin = b;
    *end = e;
}

// Text up to its first zero byte: the system's strings end there.
std::string UpToZero(const char* begin, const char* end)
{
    const void* zero = memchr(begin, 0, static_cast<size_t>(end - begin));
    return std::string(begin, zero ? static_cast<const char*>(zero) : end);
}

// Copies `value` into `out` of `size` characters (size > 0), dropping a
// matching pair of quotes around it. When the buffer cuts the text, the last
// character kept is still dropped if the text after the opening quote is not
// longer than the buffer, as the system does. Nothing after the terminating
// zero is written.
void CopyEntry(const char* value, char* out, uint32_t size, bool unquote)
{
    bool quoted = false;
    if (unquote && (value[0] == '\'' || value[0] == '"')) {
        const size_t length = strlen(value);
        if (value[1] && value[length - 1] == value[0]) {
            quoted = true;
            ++value;
        }
    }
    const size_t length = strlen(value);
    size_t kept = length < size - 1 ? length : size - 1;
    if (quoted && size >= length && kept > 0)
        --kept;
    memcpy(out, value, kept);
    out[kept] = '\0';
}

}  // namespace

ProfileFile ProfileFile::FromBytes(const void* data, size_t size)
{
    ProfileFile file;
    file.source_ = Source::kRead;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);

    // Signatures: UTF-8 is skipped; UTF-16 is narrowed to its ASCII characters.
    std::string narrowed;
    const char* text = static_cast<const char*>(data);
    size_t length = size;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        text += 3;
        length -= 3;
    } else if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) ||
                             (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        const bool little = bytes[0] == 0xFF;
        for (size_t i = 2; i + 1 < size; i += 2) {
            const unsigned unit = little ? bytes[i] | (bytes[i + 1] << 8)
                                         : (bytes[i] << 8) | bytes[i + 1];
            narrowed.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
        }
        text = narrowed.data();
        length = narrowed.size();
    }
    if (length == 0)
        return file;

    file.sections_.emplace_back();  // the nameless section before any header
    const char* const end = text + length;
    const char* next = text;
    while (next < end) {
        const char* begin = next;
        while (next < end && *next != '\n' && *next != '\r')
            ++next;
        const char* lineEnd = next;
        while (next < end && (*next == '\n' || *next == '\r'))
            ++next;

        while (begin < lineEnd && IsBlank(static_cast<unsigned char>(*begin)))
            ++begin;
        while (lineEnd > begin && IsBlank(static_cast<unsigned char>(lineEnd[-1])))
            --lineEnd;
        if (begin == lineEnd)
            continue;

        if (*begin == '[') {
            const char* close = lineEnd;
            while (close > begin && close[-1] != ']')
                --close;
            if (close > begin) {
                // The name between the brackets, without blanks around it.
                const char* nameBegin = begin + 1;
                const char* nameEnd = close - 1;
                while (nameBegin < nameEnd && IsBlank(static_cast<unsigned char>(*nameBegin)))
                    ++nameBegin;
                while (nameEnd > nameBegin && IsBlank(static_cast<unsigned char>(nameEnd[-1])))
                    --nameEnd;
                Section section;
                section.name = UpToZero(nameBegin, nameEnd);
                file.sections_.push_back(std::move(section));
                continue;
            }
        }

        Key key;
        const char* equals = static_cast<const char*>(
            memchr(begin, '=', static_cast<size_t>(lineEnd - begin)));
        if (equals) {
            const char* nameEnd = equals;
            while (nameEnd > begin && IsBlank(static_cast<unsigned char>(nameEnd[-1])))
                --nameEnd;
            const char* valueBegin = equals + 1;
            while (valueBegin < lineEnd && IsBlank(static_cast<unsigned char>(*valueBegin)))
                ++valueBegin;
            key.name = UpToZero(begin, nameEnd);
            key.hasValue = true;
            key.value = UpToZero(valueBegin, lineEnd);
        } else {
            key.name = UpToZero(begin, lineEnd);
        }
        file.sections_.back().keys.push_back(std::move(key));
    }
    file.BuildIndex();
    return file;
}

void ProfileFile::BuildIndex()
{
    for (size_t i = 0; i < sections_.size(); ++i) {
        Section& s = sections_[i];
        const std::string name = Folded(s.name.data(), s.name.data() + s.name.size());
        if (!firstSection_.emplace(name, i).second)
            continue;  // a repeated section is never reached
        s.firstKey.reserve(s.keys.size());
        for (size_t k = 0; k < s.keys.size(); ++k) {
            const std::string& key = s.keys[k].name;
            s.firstKey.emplace(Folded(key.data(), key.data() + key.size()), k);
        }
    }
}

ProfileFile ProfileFile::Unreadable()
{
    ProfileFile file;
    file.source_ = Source::kUnreadable;
    return file;
}

ProfileFile ProfileFile::Load(const char* path)
{
    FILE* f = fopen(path, "rb");
    if (!f)
        return errno == ENOENT ? ProfileFile() : Unreadable();
    // Read no more than one byte past the bound, whatever the file's size.
    std::string bytes;
    char chunk[16384];
    size_t got;
    while (bytes.size() <= skin_limits::kMaxConfigBytes &&
           (got = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, got);
    const bool failed = ferror(f) != 0;
    fclose(f);
    if (failed)
        return Unreadable();
    if (bytes.size() > skin_limits::kMaxConfigBytes) {
        ProfileFile file;
        file.source_ = Source::kTooLarge;
        return file;
    }
    return FromBytes(bytes.data(), bytes.size());
}

std::vector<std::string> ProfileFile::sectionNames() const
{
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const Section& s : sections_)
        names.push_back(s.name);
    return names;
}

const ProfileFile::Key* ProfileFile::Find(const char* section, const char* key) const
{
    const char *sectionBegin, *sectionEnd, *keyBegin, *keyEnd;
    TrimName(section, &sectionBegin, &sectionEnd);
    TrimName(key, &keyBegin, &keyEnd);
    // Only the first section of a name is searched, and in it the first key.
    const auto s = firstSection_.find(Folded(sectionBegin, sectionEnd));
    if (s == firstSection_.end())
        return nullptr;
    const Section& found = sections_[s->second];
    const auto k = found.firstKey.find(Folded(keyBegin, keyEnd));
    return k == found.firstKey.end() ? nullptr : &found.keys[k->second];
}

uint32_t ProfileFile::GetString(const char* section, const char* key, const char* fallback,
                                char* out, uint32_t size) const
{
    if (!out || size == 0)
        return 0;
    if (!section || !key) {
        out[0] = '\0';
        return 0;
    }
    // The default without its trailing spaces; an all-space default keeps one.
    std::string def = fallback ? fallback : "";
    size_t last = def.size();
    while (last > 1 && def[last - 1] == ' ')
        --last;
    def.resize(last);

    if (source_ == Source::kUnreadable || source_ == Source::kTooLarge) {
        CopyEntry(def.c_str(), out, size, false);
        return static_cast<uint32_t>(strlen(out));
    }
    const Key* found = Find(section, key);
    const char* value = found && found->hasValue ? found->value.c_str() : def.c_str();
    CopyEntry(value, out, size, true);
    return static_cast<uint32_t>(strlen(out));
}

uint32_t ProfileFile::GetInt(const char* section, const char* key, int32_t fallback) const
{
    char text[kIntBufferSize];
    if (GetString(section, key, "", text, sizeof text) == 0)
        return static_cast<uint32_t>(fallback);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p && *p <= ' ')
        ++p;
    bool negative = false;
    if (*p == '+') {
        ++p;
    } else if (*p == '-') {
        negative = true;
        ++p;
    }
    uint32_t base = 10;
    if (p[0] == '0' && (p[1] == 'b' || p[1] == 'o' || p[1] == 'x')) {
        base = p[1] == 'b' ? 2 : p[1] == 'o' ? 8 : 16;
        p += 2;
    }
    uint32_t total = 0;
    for (;; ++p) {
        uint32_t digit;
        if (*p >= '0' && *p <= '9')
            digit = *p - '0';
        else if (*p >= 'A' && *p <= 'Z')
            digit = *p - 'A' + 10;
        else if (*p >= 'a' && *p <= 'z')
            digit = *p - 'a' + 10;
        else
            break;
        if (digit >= base)
            break;
        total = total * base + digit;
    }
    return negative ? 0u - total : total;
}
