#include "platform/pe_reader.h"

#include <algorithm>

namespace hx::platform::pe {

namespace {

using Bytes = std::span<const std::uint8_t>;

bool fits(Bytes d, std::size_t at, std::size_t len) {
    return at <= d.size() && len <= d.size() - at;
}

std::uint16_t u16(Bytes d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

std::uint32_t u32(Bytes d, std::size_t at) {
    return static_cast<std::uint32_t>(d[at]) | (static_cast<std::uint32_t>(d[at + 1]) << 8) |
           (static_cast<std::uint32_t>(d[at + 2]) << 16) |
           (static_cast<std::uint32_t>(d[at + 3]) << 24);
}

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

struct DirEntry {
    bool named;
    std::uint32_t id;      // resource number, for unnamed entries
    std::uint32_t target;  // offset inside the resource section
    bool isDirectory;
};

class Resources {
  public:
    explicit Resources(Bytes file) : file_(file) { parse(); }

    bool valid() const { return valid_; }

    // Entries of the directory at `offset` (relative to the resource root).
    std::vector<DirEntry> directory(std::uint32_t offset) const {
        std::vector<DirEntry> out;
        if (!fits(root_, offset, 16)) return out;
        const std::size_t named = u16(root_, offset + 12);
        const std::size_t ids = u16(root_, offset + 14);
        const std::size_t count = std::min(named + ids, kMaxEntriesPerLevel);
        const std::size_t first = offset + 16;
        const std::size_t available = (root_.size() - std::min(root_.size(), first)) / 8;
        const std::size_t n = std::min(count, available);
        out.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = first + i * 8;
            const std::uint32_t name = u32(root_, at);
            const std::uint32_t data = u32(root_, at + 4);
            out.push_back(DirEntry{(name & 0x80000000u) != 0, name & 0xFFFFu, data & 0x7FFFFFFFu,
                                   (data & 0x80000000u) != 0});
        }
        return out;
    }

    // The data of a resource: the first language of a name entry.
    std::optional<Bytes> leafOf(const DirEntry& nameEntry) const {
        if (!nameEntry.isDirectory) return std::nullopt;
        const auto languages = directory(nameEntry.target);
        for (const auto& lang : languages) {
            if (lang.isDirectory) continue;
            if (!fits(root_, lang.target, 16)) continue;
            const std::uint32_t rva = u32(root_, lang.target);
            const std::uint32_t size = u32(root_, lang.target + 4);
            if (auto data = atRva(rva, size)) return data;
        }
        return std::nullopt;
    }

    // Name entries of one resource type, in directory order.
    std::vector<DirEntry> ofType(std::uint32_t type) const {
        for (const auto& entry : directory(0)) {
            if (!entry.named && entry.id == type && entry.isDirectory)
                return directory(entry.target);
        }
        return {};
    }

  private:
    std::optional<Bytes> atRva(std::uint32_t rva, std::uint32_t size) const {
        for (const auto& s : sections_) {
            const std::uint64_t span = std::max(s.virtualSize, s.rawSize);
            if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
            const std::uint64_t delta = rva - s.virtualAddress;
            if (delta + size > s.rawSize) return std::nullopt;
            const std::uint64_t at = s.rawOffset + delta;
            if (at > file_.size() || size > file_.size() - at) return std::nullopt;
            return file_.subspan(static_cast<std::size_t>(at), size);
        }
        return std::nullopt;
    }

    void parse() {
        if (!fits(file_, 0, 64) || file_[0] != 'M' || file_[1] != 'Z') return;
        const std::uint32_t pe = u32(file_, 0x3C);
        if (!fits(file_, pe, 24) || file_[pe] != 'P' || file_[pe + 1] != 'E' ||
            file_[pe + 2] != 0 || file_[pe + 3] != 0)
            return;
        const std::size_t sectionCount = u16(file_, pe + 6);
        const std::size_t optionalSize = u16(file_, pe + 20);
        const std::size_t optional = pe + 24;
        if (!fits(file_, optional, optionalSize) || optionalSize < 2) return;
        const std::uint16_t magic = u16(file_, optional);
        std::size_t countAt = 0;
        if (magic == 0x10B) {
            countAt = 92;
        } else if (magic == 0x20B) {
            countAt = 108;
        } else {
            return;
        }
        if (optionalSize < countAt + 4) return;
        const std::uint32_t dirCount = u32(file_, optional + countAt);
        const std::size_t resourceDir = optional + countAt + 4 + 2 * 8;
        if (dirCount < 3 || optionalSize < countAt + 4 + 3 * 8) return;
        const std::uint32_t resourceRva = u32(file_, resourceDir);
        const std::uint32_t resourceSize = u32(file_, resourceDir + 4);
        if (resourceRva == 0 || resourceSize == 0) return;

        const std::size_t table = optional + optionalSize;
        const std::size_t maxSections = std::min<std::size_t>(sectionCount, 96);
        for (std::size_t i = 0; i < maxSections; ++i) {
            const std::size_t at = table + i * 40;
            if (!fits(file_, at, 40)) break;
            sections_.push_back(Section{u32(file_, at + 12), u32(file_, at + 8),
                                        u32(file_, at + 16), u32(file_, at + 20)});
        }
        // The stated size of the resource directory is often larger than the
        // section holds; take what the section really has.
        for (const auto& s : sections_) {
            const std::uint64_t span = std::max(s.virtualSize, s.rawSize);
            if (resourceRva < s.virtualAddress || resourceRva - s.virtualAddress >= span) continue;
            const std::uint64_t delta = resourceRva - s.virtualAddress;
            if (delta >= s.rawSize) return;
            const std::uint64_t at = s.rawOffset + delta;
            if (at >= file_.size()) return;
            std::uint64_t len = std::min<std::uint64_t>(s.rawSize - delta, file_.size() - at);
            root_ = file_.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(len));
            valid_ = true;
            return;
        }
    }

    Bytes file_;
    Bytes root_;
    std::vector<Section> sections_;
    bool valid_ = false;
};

std::optional<DirEntry> findGroup(const Resources& res, int index) {
    const auto groups = res.ofType(kRtGroupIcon);
    if (index >= 0) {
        if (static_cast<std::size_t>(index) >= groups.size()) return std::nullopt;
        return groups[static_cast<std::size_t>(index)];
    }
    const std::int64_t wanted = -static_cast<std::int64_t>(index);
    for (const auto& g : groups) {
        if (!g.named && g.id == wanted) return g;
    }
    return std::nullopt;
}

}  // namespace

int iconGroupCount(std::span<const std::uint8_t> file) {
    Resources res(file);
    if (!res.valid()) return 0;
    return static_cast<int>(res.ofType(kRtGroupIcon).size());
}

bool hasIconGroup(std::span<const std::uint8_t> file, int index) {
    Resources res(file);
    if (!res.valid()) return false;
    const auto group = findGroup(res, index);
    return group && res.leafOf(*group).has_value();
}

std::optional<ico::IconImage> loadIconGroup(std::span<const std::uint8_t> file, int index,
                                            int size) {
    Resources res(file);
    if (!res.valid()) return std::nullopt;
    const auto group = findGroup(res, index);
    if (!group) return std::nullopt;
    const auto header = res.leafOf(*group);
    if (!header || header->size() < 6) return std::nullopt;
    const Bytes g = *header;
    if (u16(g, 0) != 0 || u16(g, 2) != 1) return std::nullopt;
    const std::size_t count =
        std::min({static_cast<std::size_t>(u16(g, 4)), (g.size() - 6) / 14, kMaxImagesPerGroup});

    std::vector<ico::EntryInfo> infos;
    std::vector<std::uint16_t> ids;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + i * 14;
        ico::EntryInfo info;
        info.width = g[at] == 0 ? 256 : g[at];
        info.height = g[at + 1] == 0 ? 256 : g[at + 1];
        info.bitCount = u16(g, at + 6);
        info.size = u32(g, at + 8);
        infos.push_back(info);
        ids.push_back(u16(g, at + 12));
    }
    const auto icons = res.ofType(kRtIcon);
    // Try the best-looking image first, then the rest in order of preference.
    while (!infos.empty()) {
        const int pick = ico::bestEntry(infos, size);
        const std::uint16_t id = ids[static_cast<std::size_t>(pick)];
        for (const auto& icon : icons) {
            if (icon.named || icon.id != id) continue;
            if (const auto data = res.leafOf(icon)) {
                if (auto image = ico::decodeImage(*data)) return image;
            }
            break;
        }
        infos.erase(infos.begin() + pick);
        ids.erase(ids.begin() + pick);
    }
    return std::nullopt;
}

}  // namespace hx::platform::pe
