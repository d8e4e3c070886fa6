#pragma once

// Builders for icon files and programs with icon resources, so the readers and
// the loader are tested on bytes whose every field the test controls.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <utility>
#include <vector>

namespace hx::test {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF);
}
inline void set32(Bytes& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A DIB icon image. `pixel(x, y)` gives 0xAARRGGBB (top row y = 0); for
// palette depths it gives the palette index. `masked(x, y)` sets the AND bit.
template <typename Pixel, typename Masked>
Bytes dibImage(int width, int height, int bits, Pixel pixel, Masked masked,
               const std::vector<std::uint32_t>& palette = {}, bool withMask = true) {
    Bytes b;
    put32(b, 40);
    put32(b, width);
    put32(b, height * 2);
    put16(b, 1);
    put16(b, bits);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, static_cast<std::uint32_t>(palette.size()));
    put32(b, 0);
    for (std::uint32_t c : palette) put32(b, c & 0xFFFFFF);
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = pixel(x, y);
            switch (bits) {
                case 1:
                    row[x / 8] |= (p & 1) << (7 - x % 8);
                    break;
                case 4:
                    row[x / 2] |= (p & 0xF) << (x % 2 ? 0 : 4);
                    break;
                case 8:
                    row[x] = p & 0xFF;
                    break;
                case 24:
                    row[x * 3] = p & 0xFF;
                    row[x * 3 + 1] = (p >> 8) & 0xFF;
                    row[x * 3 + 2] = (p >> 16) & 0xFF;
                    break;
                case 32:
                    row[x * 4] = p & 0xFF;
                    row[x * 4 + 1] = (p >> 8) & 0xFF;
                    row[x * 4 + 2] = (p >> 16) & 0xFF;
                    row[x * 4 + 3] = (p >> 24) & 0xFF;
                    break;
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    if (withMask) {
        const size_t maskStride = ((size_t(width) + 31) / 32) * 4;
        for (int y = height - 1; y >= 0; --y) {
            Bytes row(maskStride, 0);
            for (int x = 0; x < width; ++x)
                if (masked(x, y)) row[x / 8] |= 0x80 >> (x % 8);
            b.insert(b.end(), row.begin(), row.end());
        }
    }
    return b;
}

// A solid 32-bit image of one colour, no mask bits set.
inline Bytes solidImage(int size, std::uint32_t argb) {
    return dibImage(
        size, size, 32, [=](int, int) { return argb; }, [](int, int) { return false; });
}

inline Bytes pngImage(int size, QRgb colour) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

struct IconPart {
    int size;
    int bits;
    Bytes data;
};

inline Bytes icoFile(const std::vector<IconPart>& parts) {
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(parts.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(parts.size());
    for (const auto& p : parts) {
        b.push_back(p.size % 256);
        b.push_back(p.size % 256);
        b.push_back(0);
        b.push_back(0);
        put16(b, 1);
        put16(b, p.bits);
        put32(b, static_cast<std::uint32_t>(p.data.size()));
        put32(b, offset);
        offset += static_cast<std::uint32_t>(p.data.size());
    }
    for (const auto& p : parts) b.insert(b.end(), p.data.begin(), p.data.end());
    return b;
}

struct IconGroup {
    std::uint32_t id;  // resource number of the group
    std::vector<IconPart> parts;
    // Resource numbers the group entries name; default: numbered in order.
    std::vector<std::uint16_t> iconIds = {};
};

// A minimal PE file (PE32 or PE32+) with one .rsrc section holding the
// groups and their images.
inline Bytes peFile(const std::vector<IconGroup>& groups, bool plus = false) {
    constexpr std::uint32_t kRva = 0x1000;
    struct Res {
        std::uint32_t id;
        Bytes data;
    };
    std::vector<Res> icons, groupRes;
    std::uint16_t nextId = 1;
    for (const auto& g : groups) {
        Bytes blob;
        put16(blob, 0);
        put16(blob, 1);
        put16(blob, static_cast<std::uint32_t>(g.parts.size()));
        for (size_t i = 0; i < g.parts.size(); ++i) {
            const auto& p = g.parts[i];
            const std::uint16_t id = i < g.iconIds.size() ? g.iconIds[i] : nextId;
            blob.push_back(p.size % 256);
            blob.push_back(p.size % 256);
            blob.push_back(0);
            blob.push_back(0);
            put16(blob, 1);
            put16(blob, p.bits);
            put32(blob, static_cast<std::uint32_t>(p.data.size()));
            put16(blob, id);
            icons.push_back({nextId, p.data});
            ++nextId;
        }
        groupRes.push_back({g.id, blob});
    }
    std::vector<std::pair<std::uint32_t, std::vector<Res>*>> types = {{3, &icons}, {14, &groupRes}};
    // Layout: root, type directories, name directories (one language each),
    // data entries, data.
    std::uint32_t pos = 16 + 8 * 2;
    std::vector<std::uint32_t> typeDir;
    for (auto& t : types) {
        typeDir.push_back(pos);
        pos += 16 + 8 * static_cast<std::uint32_t>(t.second->size());
    }
    std::vector<std::vector<std::uint32_t>> nameDir(2), dataEntry(2), dataAt(2);
    for (int t = 0; t < 2; ++t)
        for (size_t i = 0; i < types[t].second->size(); ++i) {
            nameDir[t].push_back(pos);
            pos += 24;
        }
    for (int t = 0; t < 2; ++t)
        for (size_t i = 0; i < types[t].second->size(); ++i) {
            dataEntry[t].push_back(pos);
            pos += 16;
        }
    for (int t = 0; t < 2; ++t)
        for (auto& r : *types[t].second) {
            dataAt[t].push_back(pos);
            pos += (static_cast<std::uint32_t>(r.data.size()) + 3) & ~3u;
        }
    Bytes rsrc;
    auto dir = [&](std::uint32_t n) {
        put32(rsrc, 0);
        put32(rsrc, 0);
        put16(rsrc, 4);
        put16(rsrc, 0);
        put16(rsrc, 0);
        put16(rsrc, n);
    };
    dir(2);
    for (int t = 0; t < 2; ++t) {
        put32(rsrc, types[t].first);
        put32(rsrc, 0x80000000u | typeDir[t]);
    }
    for (int t = 0; t < 2; ++t) {
        dir(static_cast<std::uint32_t>(types[t].second->size()));
        for (size_t i = 0; i < types[t].second->size(); ++i) {
            put32(rsrc, (*types[t].second)[i].id);
            put32(rsrc, 0x80000000u | nameDir[t][i]);
        }
    }
    for (int t = 0; t < 2; ++t)
        for (size_t i = 0; i < types[t].second->size(); ++i) {
            dir(1);
            put32(rsrc, 0x409);
            put32(rsrc, dataEntry[t][i]);
        }
    for (int t = 0; t < 2; ++t)
        for (size_t i = 0; i < types[t].second->size(); ++i) {
            put32(rsrc, kRva + dataAt[t][i]);
            put32(rsrc, static_cast<std::uint32_t>((*types[t].second)[i].data.size()));
            put32(rsrc, 0);
            put32(rsrc, 0);
        }
    for (int t = 0; t < 2; ++t)
        for (auto& r : *types[t].second) {
            rsrc.insert(rsrc.end(), r.data.begin(), r.data.end());
            while (rsrc.size() % 4) rsrc.push_back(0);
        }
    const std::uint32_t rawSize = (static_cast<std::uint32_t>(rsrc.size()) + 0x1FF) & ~0x1FFu;

    Bytes b(0x40, 0);
    b[0] = 'M';
    b[1] = 'Z';
    set32(b, 0x3C, 0x40);
    b.push_back('P');
    b.push_back('E');
    b.push_back(0);
    b.push_back(0);
    const std::uint32_t optSize = plus ? 240 : 224;
    put16(b, plus ? 0x8664 : 0x14C);
    put16(b, 1);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put16(b, optSize);
    put16(b, 0x102);
    const size_t opt = b.size();
    b.resize(opt + optSize, 0);
    b[opt] = plus ? 0x0B : 0x0B;
    b[opt + 1] = plus ? 0x02 : 0x01;
    const size_t countAt = opt + (plus ? 108 : 92);
    set32(b, countAt, 16);
    set32(b, countAt + 4 + 16, kRva);
    set32(b, countAt + 4 + 20, static_cast<std::uint32_t>(rsrc.size()));
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    b.insert(b.end(), name, name + 8);
    put32(b, static_cast<std::uint32_t>(rsrc.size()));
    put32(b, kRva);
    put32(b, rawSize);
    put32(b, 0x200);
    put32(b, 0);
    put32(b, 0);
    put16(b, 0);
    put16(b, 0);
    put32(b, 0x40000040);
    b.resize(0x200, 0);
    b.insert(b.end(), rsrc.begin(), rsrc.end());
    b.resize(0x200 + rawSize, 0);
    return b;
}

inline QByteArray toQByteArray(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

}  // namespace hx::test
