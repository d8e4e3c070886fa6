#include "items/pinyin_index.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <bit>
#include <memory>
#include <unordered_map>

#include "items/pinyin_table.h"

namespace hx::items {

struct PinyinIndex::Query {
    QString folded;
    std::string letters;  // the folded query without blanks, when it is plain ASCII
    std::uint32_t mask = 0;
};

namespace {

bool isHan(char32_t c) {
    return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3134F);
}

bool isWordChar(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

std::uint32_t letterMask(const std::string& s) {
    std::uint32_t m = 0;
    for (char c : s)
        if (c >= 'a' && c <= 'z') m |= 1u << (c - 'a');
    return m;
}

// Readings of Han characters, the usual one first. One per building thread:
// ICU transliterators are not shared between threads.
class Readings {
  public:
    Readings() {
        UErrorCode status = U_ZERO_ERROR;
        translit_.reset(
            icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status)) translit_.reset();
    }

    const std::vector<std::string>& of(char32_t c) {
        auto [it, fresh] = cache_.try_emplace(c);
        if (!fresh) return it->second;
        std::vector<std::string>& out = it->second;
        if (translit_) {
            icu::UnicodeString text{static_cast<UChar32>(c)};
            translit_->transliterate(text);
            std::string usual;
            text.toUTF8String(usual);
            std::string plain;
            for (char ch : usual)
                if (ch >= 'a' && ch <= 'z')
                    plain += ch;
                else if (ch >= 'A' && ch <= 'Z')
                    plain += char(ch - 'A' + 'a');
            if (!plain.empty()) out.push_back(plain);
        }
        const auto* end = kPolyphonicReadings + kPolyphonicReadingCount;
        const auto* hit = std::lower_bound(
            kPolyphonicReadings, end, c,
            [](const PolyphonicReading& r, char32_t v) { return r.codePoint < v; });
        if (hit != end && hit->codePoint == c) {
            std::string all = hit->readings;
            size_t from = 0;
            while (from <= all.size()) {
                size_t to = all.find(' ', from);
                if (to == std::string::npos) to = all.size();
                std::string r = all.substr(from, to - from);
                if (!r.empty() && std::find(out.begin(), out.end(), r) == out.end())
                    out.push_back(r);
                from = to + 1;
            }
        }
        return out;
    }

  private:
    std::unique_ptr<icu::Transliterator> translit_;
    std::unordered_map<char32_t, std::vector<std::string>> cache_;
};

}  // namespace

QString foldForSearch(const QString& text) {
    // NFKC turns full-width letters and digits into plain ones.
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

PinyinIndex PinyinIndex::build(const QStringList& names) {
    PinyinIndex index;
    Readings readings;
    std::unordered_map<std::string, std::uint32_t> ids;
    auto idOf = [&](const std::string& s) {
        auto [it, fresh] = ids.try_emplace(s, std::uint32_t(index.syllables_.size()));
        if (fresh) index.syllables_.push_back(s);
        return it->second;
    };
    index.entries_.reserve(names.size());
    for (const QString& name : names) {
        Entry e;
        e.folded = foldForSearch(name);
        e.firstUnit = std::uint32_t(index.unitReadings_.size());
        std::string word;
        auto endWord = [&] {
            if (word.empty()) return;
            index.unitReadings_.push_back(std::uint32_t(index.readingIds_.size()));
            index.readingIds_.push_back(idOf(word));
            e.letters |= letterMask(word);
            word.clear();
        };
        for (char32_t c : e.folded.toUcs4()) {
            if (isWordChar(c)) {
                word += char(c);
                continue;
            }
            endWord();
            if (!isHan(c)) continue;  // blanks and punctuation only separate words
            const std::vector<std::string>& rs = readings.of(c);
            if (rs.empty()) continue;
            index.unitReadings_.push_back(std::uint32_t(index.readingIds_.size()));
            for (const std::string& r : rs) {
                index.readingIds_.push_back(idOf(r));
                e.letters |= letterMask(r);
            }
        }
        endWord();
        e.unitCount = std::uint32_t(index.unitReadings_.size()) - e.firstUnit;
        index.entries_.push_back(std::move(e));
    }
    index.unitReadings_.push_back(std::uint32_t(index.readingIds_.size()));  // sentinel
    return index;
}

// How `q` can be read off consecutive units of `e`: each unit gives a whole
// reading or its first letter, and the query may end inside a reading.
// Read from the first unit to the end of the last it is exact; from the
// first unit, a prefix; from any other unit, a match at a syllable start.
MatchKind PinyinIndex::walk(const Entry& e, const std::string& q) const {
    const size_t m = q.size();
    if (m == 0 || m > 63 || e.unitCount == 0) return MatchKind::None;
    MatchKind best = MatchKind::None;
    std::uint64_t fromStart = 1;  // bit k: q[0, k) read from the first unit
    std::uint64_t anywhere = 0;   // the same, from any unit
    const std::uint32_t last = e.firstUnit + e.unitCount - 1;
    for (std::uint32_t u = e.firstUnit; u <= last; ++u) {
        anywhere |= 1;
        std::uint64_t nextStart = 0, nextAnywhere = 0;
        for (std::uint32_t r = unitReadings_[u]; r < unitReadings_[u + 1]; ++r) {
            const std::string& s = syllables_[readingIds_[r]];
            auto step = [&](std::uint64_t reach, std::uint64_t& next, bool start) {
                for (std::uint64_t bits = reach; bits; bits &= bits - 1) {
                    const size_t off = size_t(std::countr_zero(bits));
                    if (q[off] != s[0]) continue;
                    // The query ends at this unit: whole (initial or full
                    // reading of the last unit), or cut short.
                    auto ends = [&](bool whole) {
                        const MatchKind k = !start               ? MatchKind::WordStart
                                            : whole && u == last ? MatchKind::Exact
                                                                 : MatchKind::Prefix;
                        best = std::max(best, k);
                    };
                    if (off + 1 == m) {
                        // One letter is the whole name only as initials of several units.
                        ends(e.unitCount > 1);
                        continue;
                    }
                    next |= std::uint64_t(1) << (off + 1);
                    const size_t rest = m - off;
                    if (rest <= s.size()) {
                        if (s.compare(0, rest, q, off, rest) == 0) ends(rest == s.size());
                    } else if (q.compare(off, s.size(), s) == 0) {
                        next |= std::uint64_t(1) << (off + s.size());
                    }
                }
            };
            step(fromStart, nextStart, true);
            if (best == MatchKind::Exact) return best;
            if (best < MatchKind::WordStart) step(anywhere, nextAnywhere, false);
        }
        fromStart = nextStart;
        anywhere = nextAnywhere;
    }
    return best;
}

namespace {

// Whether `q` occurs in `text`, from `first` on, where a word or a Han
// character begins.
bool atWordStart(const QString& text, const QString& q, qsizetype first) {
    for (qsizetype at = first; at >= 0; at = text.indexOf(q, at + 1)) {
        const QChar here = text.at(at);
        if (at == 0 || here.isHighSurrogate() || !isWordChar(here.unicode()) ||
            !isWordChar(text.at(at - 1).unicode()))
            return true;
    }
    return false;
}

}  // namespace

MatchKind PinyinIndex::match(const Entry& e, const Query& q) const {
    if (q.folded.isEmpty()) return MatchKind::None;
    // Every Latin letter of a name is among its letters: a plain query with
    // one missing can match in no way.
    if (!q.letters.empty() && (q.mask & ~e.letters) != 0) return MatchKind::None;
    const qsizetype at = e.folded.indexOf(q.folded);
    if (at == 0 && e.folded.size() == q.folded.size()) return MatchKind::Exact;
    MatchKind kind = at == 0 ? MatchKind::Prefix : MatchKind::None;
    if (!q.letters.empty()) kind = std::max(kind, walk(e, q.letters));
    if (kind != MatchKind::None || at < 0) return kind;
    return atWordStart(e.folded, q.folded, at) ? MatchKind::WordStart : MatchKind::Substring;
}

PinyinIndex::Query PinyinIndex::prepare(const QString& query) {
    Query q;
    q.folded = foldForSearch(query).trimmed();
    for (QChar c : q.folded) {
        if (c == u' ') continue;
        if (c.unicode() > 127) {  // a Chinese query is matched as text only
            q.letters.clear();
            break;
        }
        q.letters += char(c.unicode());
    }
    q.mask = letterMask(q.letters);
    return q;
}

MatchKind PinyinIndex::match(std::size_t entry, const QString& query) const {
    return entry < entries_.size() ? match(entries_[entry], prepare(query)) : MatchKind::None;
}

std::vector<std::size_t> PinyinIndex::search(const QString& query,
                                             const std::vector<double>& weight,
                                             std::size_t limit) const {
    const Query q = prepare(query);
    struct Hit {
        MatchKind kind;
        double weight;
        std::size_t entry;
    };
    std::vector<Hit> hits;
    hits.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const MatchKind kind = match(entries_[i], q);
        if (kind != MatchKind::None) hits.push_back({kind, i < weight.size() ? weight[i] : 0.0, i});
    }
    auto better = [](const Hit& a, const Hit& b) {
        if (a.kind != b.kind) return a.kind > b.kind;
        if (a.weight != b.weight) return a.weight > b.weight;
        return a.entry < b.entry;
    };
    const std::size_t kept = std::min(limit, hits.size());
    std::partial_sort(hits.begin(), hits.begin() + kept, hits.end(), better);
    std::vector<std::size_t> out;
    out.reserve(kept);
    for (std::size_t i = 0; i < kept; ++i) out.push_back(hits[i].entry);
    return out;
}

}  // namespace hx::items
