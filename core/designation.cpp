#include "core/designation.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

std::vector<std::string> SplitLaunchText(const std::string& text)
{
    std::vector<std::string> tokens;
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = text.find_first_not_of(' ', at);
        if (start == std::string::npos)
            break;
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        tokens.push_back(text.substr(start, end - start));
        at = end;
    }
    return tokens;
}

uint32_t ParseDockTarget(const std::string& token)
{
    return static_cast<uint32_t>(std::strtoul(token.c_str(), nullptr, 16));
}

bool SplitAddress(const std::string& address, AddressParts* parts)
{
    // Pieces between '/' characters, with where each ends.
    struct Piece {
        size_t start, end;
    };
    std::vector<Piece> pieces;
    for (size_t at = 0; at < address.size();) {
        const size_t slash = address.find('/', at);
        const size_t end = slash == std::string::npos ? address.size() : slash;
        if (end > at)
            pieces.push_back({at, end});
        at = end + 1;
    }
    if (pieces.empty())
        return false;
    std::string scheme;
    size_t hostIndex = 0;
    const std::string first = address.substr(pieces[0].start, pieces[0].end - pieces[0].start);
    if (strcasecmp(first.c_str(), "http:") == 0) {
        scheme = "http:";
        hostIndex = 1;
    } else if (strcasecmp(first.c_str(), "https:") == 0) {
        scheme = "https:";
        hostIndex = 1;
    }
    if (hostIndex >= pieces.size())
        return false;
    const Piece host = pieces[hostIndex];
    size_t rest = host.end;
    if (rest < address.size() && address[rest] == '/')
        ++rest;
    std::string path = "/" + address.substr(rest);
    if (path.find('.') != std::string::npos)
        path.erase(path.rfind('/'));
    if (path.empty() || path.back() != '/')
        path += '/';
    parts->scheme = scheme;
    parts->host = address.substr(host.start, host.end - host.start);
    parts->path = path;
    return true;
}

namespace {

bool SafeBaseName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

bool ParseSkinDesignation(const std::string& text, SkinDesignation* out)
{
    SkinDesignation d;
    size_t hashes = 0;
    for (char c : text)
        hashes += c == '#';
    if (hashes == 1) {
        const size_t hash = text.find('#');
        d.baseName = text.substr(0, hash);
        const size_t equals = text.find('=', hash + 1);
        if (equals == std::string::npos)
            return false;
        d.version = std::atoi(text.c_str() + equals + 1);
        d.explicitUrls = false;
    } else {
        std::string values[4];
        size_t at = 0;
        for (std::string& value : values) {
            if (at > text.size())
                return false;
            const size_t equals = text.find('=', at);
            if (equals == std::string::npos)
                return false;
            size_t end = text.find('#', equals + 1);
            if (end == std::string::npos)
                end = text.size();
            value = text.substr(equals + 1, end - equals - 1);
            if (value.empty())
                return false;
            at = end + 1;
        }
        d.baseName = values[0];
        d.configUrl = values[1];
        d.packageUrl = values[2];
        d.version = std::atoi(values[3].c_str());
        d.explicitUrls = true;
    }
    if (!SafeBaseName(d.baseName))
        return false;
    *out = d;
    return true;
}

std::string EscapeFolderName(const std::string& text)
{
    static const char kSet[] = "\\/:*?\"<>|";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const char* at = c ? std::strchr(kSet, c) : nullptr;
        if (at) {
            out += '%';
            out += static_cast<char>('0' + (at - kSet));
        } else {
            out += c;
        }
    }
    return out;
}

bool IsUnsafeHostPiece(const std::string& host)
{
    return host == "." || host == "..";
}

bool MakeCacheFolders(const std::string& windowsDir, const std::string& host,
                      const std::string& path, const std::string& baseName, size_t maxPath,
                      CacheFolders* out)
{
    if (host.empty() || IsUnsafeHostPiece(host))
        return false;
    const std::string root = windowsDir + "\\tavik\\cache\\";
    CacheFolders f;
    f.hostFolder = root + EscapeFolderName(host) + "\\";
    f.skinFolder = f.hostFolder + EscapeFolderName(path) + "\\";
    if (f.skinFolder.size() + kTempNameRoom > maxPath ||
        f.skinFolder.size() + baseName.size() + 4 >= maxPath)
        return false;
    *out = f;
    return true;
}

std::string FolderAddress(const AddressParts& parts)
{
    return parts.scheme + "//" + parts.host + parts.path;
}

namespace {
std::string Slot(const char* slot)
{
    const void* end = std::memchr(slot, '\0', kHandOverSlot - 1);
    return std::string(slot, end ? static_cast<const char*>(end) : slot + kHandOverSlot - 1);
}
}  // namespace

bool ParseHandOver(const void* data, size_t size, std::string* address, std::string* designation)
{
    if (data == nullptr || size < 2 * kHandOverSlot)
        return false;
    const char* bytes = static_cast<const char*>(data);
    *address = Slot(bytes);
    *designation = Slot(bytes + kHandOverSlot);
    return true;
}
