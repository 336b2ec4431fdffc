#include "tests/support/bmp_builder.h"

#include <algorithm>

namespace tesselane::testing {

ByteWriter& ByteWriter::u8(uint32_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    return *this;
}

ByteWriter& ByteWriter::u16(uint32_t value) { return u8(value).u8(value >> 8); }

ByteWriter& ByteWriter::u32(uint32_t value) { return u16(value).u16(value >> 16); }

ByteWriter& ByteWriter::i32(int32_t value) { return u32(static_cast<uint32_t>(value)); }

ByteWriter& ByteWriter::text(const char* characters) {
    for (const char* c = characters; *c != '\0'; ++c) u8(static_cast<uint8_t>(*c));
    return *this;
}

ByteWriter& ByteWriter::bytes(const std::vector<uint8_t>& values) {
    bytes_.insert(bytes_.end(), values.begin(), values.end());
    return *this;
}

ByteWriter& ByteWriter::zeros(size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
}

std::vector<uint8_t> buildBmp(const BmpFields& fields) {
    ByteWriter info;
    if (fields.headerSize == 12) {
        info.u32(12)
            .u16(static_cast<uint32_t>(fields.width))
            .u16(static_cast<uint32_t>(fields.height))
            .u16(fields.planes)
            .u16(fields.bitCount);
    } else {
        info.u32(fields.headerSize)
            .i32(fields.width)
            .i32(fields.height)
            .u16(fields.planes)
            .u16(fields.bitCount)
            .u32(fields.compression)
            .u32(fields.sizeImage)
            .i32(fields.xPixelsPerMeter)
            .i32(fields.yPixelsPerMeter)
            .u32(fields.coloursUsed)
            .u32(fields.coloursImportant);
        // An OS/2 2.x header has its own fields past the first 40 bytes; left at zero.
        if (fields.headerSize != 64) {
            for (uint32_t mask : fields.masks) info.u32(mask);
        }
    }
    // The size field is always written; a declared size past 4 KiB writes 4 KiB.
    std::vector<uint8_t> header = info.data();
    header.resize(std::clamp<size_t>(fields.headerSize, 4, 4096), 0);

    ByteWriter body;
    body.bytes(header);
    for (uint32_t mask : fields.masksAfterHeader) body.u32(mask);
    for (const Pixel& entry : fields.colourTable) {
        body.u8(entry.b).u8(entry.g).u8(entry.r);
        if (fields.headerSize != 12) body.u8(entry.a);
    }
    body.zeros(fields.gap);

    const size_t offBits = 14 + body.size();
    const size_t fileSize = offBits + fields.pixelData.size();
    ByteWriter file;
    file.text("BM")
        .u32(fields.fileSize.value_or(static_cast<uint32_t>(fileSize)))
        .u16(0)
        .u16(0)
        .u32(fields.offBits.value_or(static_cast<uint32_t>(offBits)))
        .bytes(body.data())
        .bytes(fields.pixelData);
    return file.data();
}

std::vector<uint8_t> packRow(uint32_t bits, const std::vector<uint32_t>& values) {
    ByteWriter row;
    if (bits < 8) {
        const size_t perByte = 8 / bits;
        for (size_t start = 0; start < values.size(); start += perByte) {
            uint32_t byte = 0;
            for (size_t i = 0; i < perByte; ++i) {
                const uint32_t value = start + i < values.size() ? values[start + i] : 0;
                byte |= (value & ((1u << bits) - 1)) << (8 - bits * static_cast<uint32_t>(i + 1));
            }
            row.u8(byte);
        }
    } else {
        for (uint32_t value : values) {
            if (bits == 8) row.u8(value);
            if (bits == 16) row.u16(value);
            if (bits == 24) row.u8(value).u8(value >> 8).u8(value >> 16);
            if (bits == 32) row.u32(value);
        }
    }
    row.zeros((4 - row.size() % 4) % 4);
    return row.data();
}

std::vector<uint8_t> packRows(uint32_t bits, const std::vector<std::vector<uint32_t>>& rows) {
    std::vector<uint8_t> data;
    for (const std::vector<uint32_t>& values : rows) {
        const std::vector<uint8_t> row = packRow(bits, values);
        data.insert(data.end(), row.begin(), row.end());
    }
    return data;
}

std::string asString(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

BmpStatus readBmpBytes(const std::vector<uint8_t>& bytes, BmpPicture& picture, std::string* why) {
    return readBmpMemory(bytes.data(), bytes.size(), picture, why);
}

}  // namespace tesselane::testing
