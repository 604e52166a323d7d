#include "core/png_image.h"

#include <zlib.h>

#include <cstring>

namespace {

const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void PutBig32(std::vector<uint8_t>* out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(static_cast<uint8_t>(value >> shift));
}

// Appends one chunk: length, type, data, and the CRC of type and data.
void PutChunk(std::vector<uint8_t>* out, const char type[4], const uint8_t* data, size_t size)
{
    PutBig32(out, static_cast<uint32_t>(size));
    const size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    if (size)
        out->insert(out->end(), data, data + size);
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, out->data() + start, static_cast<uInt>(out->size() - start));
    PutBig32(out, static_cast<uint32_t>(crc));
}

// The rows, each behind filter byte 0 (none), deflated as one zlib stream.
bool DeflateRows(const uint8_t* rgba, int width, int height, std::vector<uint8_t>* out)
{
    z_stream z;
    std::memset(&z, 0, sizeof z);
    if (deflateInit(&z, Z_BEST_COMPRESSION) != Z_OK)
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> row(rowBytes + 1);
    std::vector<uint8_t> buffer(64 * 1024);
    bool ok = true;
    for (int y = 0; y <= height && ok; ++y) {
        const bool last = y == height;
        if (!last) {
            row[0] = 0;
            std::memcpy(row.data() + 1, rgba + rowBytes * static_cast<size_t>(y), rowBytes);
            z.next_in = row.data();
            z.avail_in = static_cast<uInt>(row.size());
        } else {
            z.next_in = Z_NULL;
            z.avail_in = 0;
        }
        int status;
        do {
            z.next_out = buffer.data();
            z.avail_out = static_cast<uInt>(buffer.size());
            status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            if (status == Z_STREAM_ERROR) {
                ok = false;
                break;
            }
            out->insert(out->end(), buffer.data(), buffer.data() + (buffer.size() - z.avail_out));
        } while (last ? status != Z_STREAM_END : z.avail_out == 0);
    }
    deflateEnd(&z);
    return ok;
}

}  // namespace

std::vector<uint8_t> EncodePngRgba(const uint8_t* rgba, int width, int height)
{
    std::vector<uint8_t> png;
    if (rgba == nullptr || width <= 0 || height <= 0 || width > kPngMaxSide || height > kPngMaxSide)
        return png;
    std::vector<uint8_t> data;
    if (!DeflateRows(rgba, width, height, &data))
        return png;
    png.assign(kSignature, kSignature + sizeof kSignature);
    std::vector<uint8_t> header;
    PutBig32(&header, static_cast<uint32_t>(width));
    PutBig32(&header, static_cast<uint32_t>(height));
    header.push_back(8);  // bits per sample
    header.push_back(6);  // colour type: RGB with alpha
    header.push_back(0);  // deflate
    header.push_back(0);  // adaptive filtering (each row says its filter)
    header.push_back(0);  // not interlaced
    PutChunk(&png, "IHDR", header.data(), header.size());
    PutChunk(&png, "IDAT", data.data(), data.size());
    PutChunk(&png, "IEND", nullptr, 0);
    return png;
}
