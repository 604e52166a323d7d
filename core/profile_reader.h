// A profile (INI) file read once and answered from memory, with the same
// results as the system's profile functions GetPrivateProfileStringA and
// GetPrivateProfileIntA give for that file (no Windows header).
//
// The rules the system follows, and so do we:
// - Lines end at CR or LF (any run of them). Blanks (tab, LF, VT, FF, CR,
//   ^Z and space) around a line are ignored; empty lines are skipped.
// - A line starting with '[' that holds a ']' opens a section; the name is
//   the text between the '[' and the LAST ']' of the line, without blanks
//   around it. Without a ']' the line is an ordinary line. Lines before the
//   first section header form a nameless section, found by the name "".
// - Other lines are "name=value" (split at the first '='; blanks before the
//   '=' and after it are dropped) or a bare name without a value. A line
//   starting with ';' is no comment to a lookup: it is a name beginning with
//   ';' that no ordinary key matches.
// - Section and key names are compared without regard to ASCII letter case,
//   after blanks around the asked-for name are dropped; a name stored with a
//   zero byte ends there. Only the FIRST section of a name is searched (a
//   repeated section is never reached), and in it the FIRST key of a name
//   wins.
// - A value enclosed in a matching pair of ' or " loses the pair; when the
//   buffer is too small, the cut follows the system's quirks exactly, and
//   nothing is written after the terminating zero.
// - A default loses its trailing spaces (one space is left of an all-space
//   default), and is unquoted like a value.
// - Integers: the text as read into a 30-character buffer; empty gives the
//   default; otherwise blanks and control characters are skipped, then an
//   optional sign, an optional 0x / 0o / 0b base prefix, and digits, with
//   32-bit wrap-around.
//
// Text is taken as bytes of a single-byte code page. With a double-byte code
// page a value cut at the buffer's size may end differently from the
// system's. A UTF-8 signature is skipped; a UTF-16 file is read for its
// ASCII characters only.
//
// Lookups take constant time: an index of the first section of each name,
// and in it of the first key of each name, is built once when the file is
// read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class ProfileFile {
public:
    // What became of reading the file. A missing file answers every key with
    // its default; so does an unreadable one, but without unquoting defaults,
    // and so does one larger than the longest configuration a skin may have
    // (skin_limits::kMaxConfigBytes), which is not read.
    enum class Source { kMissing, kUnreadable, kRead, kTooLarge };

    // An empty profile, as for a file that does not exist.
    ProfileFile() = default;

    // Parses the file's bytes.
    static ProfileFile FromBytes(const void* data, size_t size);
    // A file that exists but could not be read (access denied, a folder).
    static ProfileFile Unreadable();
    // Reads the file at `path` (fopen; a missing file gives kMissing, one
    // past skin_limits::kMaxConfigBytes kTooLarge, any other failure
    // kUnreadable).
    static ProfileFile Load(const char* path);

    Source source() const { return source_; }

    // As GetPrivateProfileStringA(section, key, fallback, out, size, file):
    // writes the answer into `out` (cut to size - 1 characters, always
    // terminated when size > 0) and returns its length. A null `fallback`
    // reads as "". Returns 0 and writes nothing when `out` is null or `size`
    // is 0. Listing sections or keys (a null section or key) is not
    // supported: it answers 0 and an empty text.
    uint32_t GetString(const char* section, const char* key, const char* fallback, char* out,
                       uint32_t size) const;

    // As GetPrivateProfileIntA(section, key, fallback, file).
    uint32_t GetInt(const char* section, const char* key, int32_t fallback) const;

    // The number of sections read (the nameless one before the first
    // section header counts when the file has any line), for tests.
    size_t sectionCount() const { return sections_.size(); }

    // The section names in file order, a repeated name as often as it occurs
    // (the nameless section first, as "", when the file has any line).
    std::vector<std::string> sectionNames() const;

private:
    struct Key {
        std::string name;
        bool hasValue = false;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Key> keys;
        // Upper-cased key name -> index of its first key; only in the first
        // section of a name, the one lookups reach.
        std::unordered_map<std::string, size_t> firstKey;
    };

    void BuildIndex();
    const Key* Find(const char* section, const char* key) const;

    Source source_ = Source::kMissing;
    std::vector<Section> sections_;
    // Upper-cased section name -> index of its first section.
    std::unordered_map<std::string, size_t> firstSection_;
};
