#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace hx::items {

// How a query met a name; a larger value ranks first. Pinyin and initials
// count as the name: "kzmb" is an exact match of 控制面板, "kz" a prefix,
// "mb" a match at a syllable start.
enum class MatchKind { None, Substring, WordStart, Prefix, Exact };

// Case-folded, full-width letters made plain: how names and queries are compared.
QString foldForSearch(const QString& text);

// The searchable form of a list of names: each name folded, and cut into
// units (a Han character with all its pinyin readings, or a run of Latin
// letters or digits). Pure data: build it on a worker, search it anywhere.
class PinyinIndex {
  public:
    PinyinIndex() = default;
    static PinyinIndex build(const QStringList& names);

    std::size_t size() const { return entries_.size(); }
    MatchKind match(std::size_t entry, const QString& query) const;

    // Entries that match, best first: by kind, then by `weight[i]` (larger
    // first; may be shorter than the index), then index order. At most `limit`.
    std::vector<std::size_t> search(const QString& query, const std::vector<double>& weight,
                                    std::size_t limit) const;

  private:
    struct Query;
    struct Entry {
        QString folded;
        std::uint32_t firstUnit = 0, unitCount = 0;
        std::uint32_t letters = 0;  // a-z found in the name or its readings
    };
    static Query prepare(const QString& query);
    MatchKind match(const Entry& e, const Query& q) const;
    MatchKind walk(const Entry& e, const std::string& q) const;

    std::vector<Entry> entries_;
    std::vector<std::uint32_t>
        unitReadings_;  // per unit: start in readingIds_ (one past: next unit)
    std::vector<std::uint32_t> readingIds_;
    std::vector<std::string> syllables_;  // reading id -> text
};

}  // namespace hx::items
