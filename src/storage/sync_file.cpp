#include "storage/sync_file.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QVarLengthArray>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace hx::storage::sync {

bool operator<(const Stamp& a, const Stamp& b) {
    if (a.time != b.time) return a.time < b.time;
    if (a.seq != b.seq) return a.seq < b.seq;
    return a.root < b.root;
}

namespace {

const QByteArray kMagic = "hengxiu-toolbox sync ";

void appendString(QByteArray& out, const QString& s) {
    out += '"';
    // Most texts need no escape: taken whole.
    if (std::none_of(s.cbegin(), s.cend(),
                     [](QChar c) { return c.unicode() < 0x20 || c == u'"' || c == u'\\'; })) {
        out += s.toUtf8();
        out += '"';
        return;
    }
    const QByteArray utf8 = s.toUtf8();
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
}

void appendNumber(QByteArray& out, qint64 n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end - digits);
}

void appendClock(QByteArray& out, const Stamp& s) {
    appendNumber(out, s.time);
    out += '.';
    appendNumber(out, s.seq);
}

void appendStamp(QByteArray& out, const char* key, const Stamp& s) {
    out += ",\"";
    out += key;
    out += "\":\"";
    appendClock(out, s);
    out += '.';
    for (const QChar c : s.root) out += char(c.unicode());  // ids are ASCII
    out += '"';
}

void appendField(QByteArray& out, const char* key, const QString& value) {
    out += ",\"";
    out += key;
    out += "\":";
    appendString(out, value);
}

void appendRecord(QByteArray& line, const Record& r) {
    line += "{\"id\":";
    appendString(line, r.id);
    if (r.gone) {
        line += ",\"gone\":true";
    } else {
        switch (r.kind) {
            case Kind::Category:
                appendField(line, "category", r.name);
                appendField(line, "picture", r.link);
                break;
            case Kind::Column:
                appendField(line, "column", r.name);
                appendField(line, "in", r.parent);
                break;
            case Kind::Item:
                appendField(line, "item", r.name);
                appendField(line, "link", r.link);
                appendField(line, "icon", r.icon);
                appendField(line, "in", r.parent);
                break;
        }
        line += ",\"order\":";
        appendNumber(line, r.order);
    }
    appendStamp(line, "stamp", r.stamp);
    if (!r.base.isNull()) appendStamp(line, "base", r.base);
    line += "}\n";
}

// ---- Reading ----------------------------------------------------------------

struct Failure {
    QString why;
};

bool idChar(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
           c == u'-' || c == u'_';
}

std::optional<Stamp> parseClock(QStringView text, bool withRoot) {
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != (withRoot ? 3 : 2)) return std::nullopt;
    bool okTime = false, okSeq = false;
    Stamp s;
    s.time = parts.at(0).toLongLong(&okTime);
    s.seq = parts.at(1).toUInt(&okSeq);
    if (!okTime || !okSeq || s.time < 0) return std::nullopt;
    if (withRoot) {
        s.root = parts.at(2).toString();
        if (!isValidId(s.root)) return std::nullopt;
    }
    return s;
}

// One record line: a flat object of text, whole numbers and true, read
// without building a JSON document (a catalogue has thousands of lines).
struct Value {
    enum Type { Text, Whole, True, Other } type = Other;
    QByteArrayView raw;  // a text without escapes, as it stands in the line
    QString unescaped;   // a text with escapes
    bool escaped = false;
    qint64 number = 0;
    QString text() const { return escaped ? unescaped : QString::fromUtf8(raw); }
};

class Fields {
  public:
    explicit Fields(QByteArrayView line) : line_(line) { parse(); }

    const Value* find(QByteArrayView key) const {
        for (const auto& [k, v] : fields_)
            if (k == key) return &v;
        return nullptr;
    }
    bool has(QByteArrayView key) const { return find(key) != nullptr; }
    void allowOnly(std::initializer_list<const char*> keys) const {
        for (const auto& [k, v] : fields_) {
            const bool known = std::any_of(keys.begin(), keys.end(),
                                           [&](const char* allowed) { return k == allowed; });
            if (!known)
                throw Failure{QStringLiteral("unknown field \"%1\"").arg(QString::fromUtf8(k))};
        }
    }

  private:
    [[noreturn]] void fail(const char* what) const {
        throw Failure{QStringLiteral("%1 at column %2").arg(QLatin1String(what)).arg(at_ + 1)};
    }
    char peek() const { return at_ < line_.size() ? line_.at(at_) : '\0'; }
    void blanks() {
        while (peek() == ' ' || peek() == '\t') ++at_;
    }
    void expect(char c) {
        if (peek() != c) fail(c == '"' ? "text expected" : "malformed object");
        ++at_;
    }
    static void appendUtf8(QByteArray& out, char32_t c) {
        const QString s = QString::fromUcs4(&c, 1);
        out += s.toUtf8();
    }
    unsigned hex4() {
        if (at_ + 4 > line_.size()) fail("bad escape");
        bool ok = false;
        const unsigned v = line_.sliced(at_, 4).toByteArray().toUInt(&ok, 16);
        if (!ok) fail("bad escape");
        at_ += 4;
        return v;
    }
    // Fills `v` with the text that starts here.
    void string(Value& v) {
        expect('"');
        const qsizetype start = at_;
        // Most texts hold no escape: taken whole.
        while (at_ < line_.size() && line_.at(at_) != '"' && line_.at(at_) != '\\') {
            if (static_cast<unsigned char>(line_.at(at_)) < 0x20) fail("control character in text");
            ++at_;
        }
        if (peek() == '"') {
            ++at_;
            v.raw = line_.sliced(start, at_ - 1 - start);
            return;
        }
        QByteArray bytes = line_.sliced(start, at_ - start).toByteArray();
        while (true) {
            if (at_ >= line_.size()) fail("unterminated text");
            const char c = line_.at(at_++);
            if (c == '"') break;
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in text");
            if (c != '\\') {
                bytes += c;
                continue;
            }
            const char e = peek();
            ++at_;
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    bytes += e;
                    break;
                case 'b':
                    bytes += '\b';
                    break;
                case 'f':
                    bytes += '\f';
                    break;
                case 'n':
                    bytes += '\n';
                    break;
                case 'r':
                    bytes += '\r';
                    break;
                case 't':
                    bytes += '\t';
                    break;
                case 'u': {
                    char32_t c32 = hex4();
                    if (c32 >= 0xD800 && c32 < 0xDC00) {
                        if (peek() != '\\') fail("bad escape");
                        ++at_;
                        if (peek() != 'u') fail("bad escape");
                        ++at_;
                        const unsigned low = hex4();
                        if (low < 0xDC00 || low >= 0xE000) fail("bad escape");
                        c32 = 0x10000 + ((c32 - 0xD800) << 10) + (low - 0xDC00);
                    } else if (c32 >= 0xDC00 && c32 < 0xE000) {
                        fail("bad escape");
                    }
                    appendUtf8(bytes, c32);
                    break;
                }
                default:
                    fail("bad escape");
            }
        }
        v.escaped = true;
        v.unescaped = QString::fromUtf8(bytes);
    }
    Value value() {
        Value v;
        const char c = peek();
        if (c == '"') {
            v.type = Value::Text;
            string(v);
            return v;
        }
        const qsizetype start = at_;
        while (at_ < line_.size() && line_.at(at_) != ',' && line_.at(at_) != '}' &&
               line_.at(at_) != ' ')
            ++at_;
        const QByteArrayView word = line_.sliced(start, at_ - start);
        if (word == "true") {
            v.type = Value::True;
            return v;
        }
        if (word.isEmpty()) fail("value expected");
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), v.number);
        // Whole numbers a double holds exactly, as any JSON reader takes them.
        const bool plain = error == std::errc() && end == word.data() + word.size() &&
                           std::abs(v.number) <= (1LL << 53);
        v.type = plain ? Value::Whole : Value::Other;
        return v;
    }
    void parse() {
        blanks();
        expect('{');
        blanks();
        if (peek() == '}') {
            ++at_;
        } else {
            while (true) {
                blanks();
                expect('"');
                const qsizetype start = at_;
                while (at_ < line_.size() && line_.at(at_) != '"') {
                    const char c = line_.at(at_);
                    if (!(c >= 'a' && c <= 'z')) fail("unknown field");
                    ++at_;
                }
                const QByteArrayView key = line_.sliced(start, at_ - start);
                expect('"');
                if (has(key))
                    throw Failure{QStringLiteral("field \"%1\" twice").arg(QString::fromUtf8(key))};
                blanks();
                expect(':');
                blanks();
                fields_.push_back({key, value()});
                blanks();
                if (peek() == ',') {
                    ++at_;
                    continue;
                }
                expect('}');
                break;
            }
        }
        blanks();
        if (at_ != line_.size()) fail("text after the object");
    }

    QByteArrayView line_;
    qsizetype at_ = 0;
    QVarLengthArray<std::pair<QByteArrayView, Value>, 10> fields_;
};

QString stringField(const Fields& o, const char* key, bool required = true) {
    const Value* v = o.find(key);
    if (!v && !required) return {};
    if (!v || v->type != Value::Text)
        throw Failure{QStringLiteral("\"%1\" is not text").arg(QLatin1String(key))};
    return v->text();
}

bool idBytes(QByteArrayView id) {
    return !id.isEmpty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
               c == '-' || c == '_';
    });
}

// Ids and stamps are ASCII: read from the line's bytes, without a text between.
QString idField(const Fields& o, const char* key) {
    const Value* v = o.find(key);
    if (!v || v->type != Value::Text || v->escaped || !idBytes(v->raw))
        throw Failure{QStringLiteral("\"%1\" is not an id").arg(QLatin1String(key))};
    return QString::fromLatin1(v->raw);
}

Stamp stampField(const Fields& o, const char* key, bool required = true) {
    const Value* v = o.find(key);
    if (!v && !required) return {};
    const auto fail = [&] {
        return Failure{QStringLiteral("\"%1\" is not a stamp").arg(QLatin1String(key))};
    };
    if (!v || v->type != Value::Text || v->escaped) throw fail();
    const char* p = v->raw.data();
    const char* end = p + v->raw.size();
    Stamp s;
    auto time = std::from_chars(p, end, s.time);
    if (time.ec != std::errc() || time.ptr == end || *time.ptr != '.' || s.time < 0) throw fail();
    auto seq = std::from_chars(time.ptr + 1, end, s.seq);
    if (seq.ec != std::errc() || seq.ptr == end || *seq.ptr != '.') throw fail();
    const QByteArrayView root(seq.ptr + 1, end - seq.ptr - 1);
    if (!idBytes(root)) throw fail();
    s.root = QString::fromLatin1(root);
    return s;
}

Record parseRecord(const Fields& o) {
    Record r;
    r.id = idField(o, "id");
    r.stamp = stampField(o, "stamp");
    r.base = stampField(o, "base", false);
    if (const Value* gone = o.find("gone")) {
        if (gone->type != Value::True) throw Failure{QStringLiteral("bad \"gone\"")};
        o.allowOnly({"id", "gone", "stamp", "base"});
        r.gone = true;
        return r;
    }
    const Value* order = o.find("order");
    if (!order || order->type != Value::Whole)
        throw Failure{QStringLiteral("\"order\" is not a whole number")};
    r.order = order->number;
    if (o.has("category")) {
        o.allowOnly({"id", "category", "picture", "order", "stamp", "base"});
        r.kind = Kind::Category;
        r.name = stringField(o, "category");
        r.link = stringField(o, "picture");
    } else if (o.has("column")) {
        o.allowOnly({"id", "column", "in", "order", "stamp", "base"});
        r.kind = Kind::Column;
        r.name = stringField(o, "column");
        r.parent = idField(o, "in");
    } else if (o.has("item")) {
        o.allowOnly({"id", "item", "link", "icon", "in", "order", "stamp", "base"});
        r.kind = Kind::Item;
        r.name = stringField(o, "item");
        r.link = stringField(o, "link");
        r.icon = stringField(o, "icon");
        r.parent = idField(o, "in");
    } else {
        throw Failure{QStringLiteral("neither category, column, item nor gone")};
    }
    return r;
}

QJsonObject objectOf(QByteArrayView line) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError) throw Failure{error.errorString()};
    if (!doc.isObject()) throw Failure{QStringLiteral("not an object")};
    return doc.object();
}

QString headerText(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString()) throw Failure{QStringLiteral("\"%1\" is not text").arg(QLatin1String(key))};
    return v.toString();
}

void parseHeader(const QJsonObject& o, State& state) {
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key() != u"root" && it.key() != u"written" && it.key() != u"seen")
            throw Failure{QStringLiteral("unknown field \"%1\"").arg(it.key())};
    state.root = headerText(o, "root");
    if (!isValidId(state.root)) throw Failure{QStringLiteral("\"root\" is not an id")};
    const auto written = parseClock(headerText(o, "written"), false);
    if (!written) throw Failure{QStringLiteral("\"written\" is not a clock")};
    state.written = *written;
    state.written.root = state.root;
    const QJsonValue seen = o.value(QLatin1String("seen"));
    if (!seen.isObject()) throw Failure{QStringLiteral("\"seen\" is not an object")};
    const QJsonObject roots = seen.toObject();
    for (auto it = roots.begin(); it != roots.end(); ++it) {
        const auto clock =
            it.value().isString() ? parseClock(it.value().toString(), false) : std::nullopt;
        if (!isValidId(it.key()) || !clock) throw Failure{QStringLiteral("bad \"seen\" entry")};
        Stamp s = *clock;
        s.root = it.key();
        state.seen.insert(it.key(), s);
    }
}

}  // namespace

bool isValidId(const QString& id) {
    return !id.isEmpty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), idChar);
}

QByteArray toText(const State& state) {
    // By kind, then parent, then order: the parents are few, so they are
    // sorted once and the records of each by order alone.
    QHash<QString, QVector<const Record*>> byParent[3];
    QVector<const Record*> gone;
    for (const Record& r : state.records) {
        if (r.gone)
            gone.push_back(&r);
        else
            byParent[static_cast<int>(r.kind)][r.parent].push_back(&r);
    }
    QVector<const Record*> records;
    records.reserve(state.records.size());
    for (auto& kind : byParent) {
        QStringList parents = kind.keys();
        parents.sort();
        for (const QString& parent : parents) {
            QVector<const Record*>& list = kind[parent];
            std::sort(list.begin(), list.end(), [](const Record* a, const Record* b) {
                return a->order != b->order ? a->order < b->order : a->id < b->id;
            });
            records += list;
        }
    }
    std::sort(gone.begin(), gone.end(),
              [](const Record* a, const Record* b) { return a->id < b->id; });
    records += gone;

    QByteArray out = kMagic + QByteArray::number(kFormatVersion) + '\n';
    out.reserve(records.size() * 200);
    out += "{\"root\":";
    appendString(out, state.root);
    out += ",\"written\":\"";
    appendClock(out, state.written);
    out += "\",\"seen\":{";
    QStringList roots = state.seen.keys();
    roots.sort();
    for (qsizetype i = 0; i < roots.size(); ++i) {
        if (i > 0) out += ',';
        appendString(out, roots.at(i));
        out += ":\"";
        appendClock(out, state.seen.value(roots.at(i)));
        out += '"';
    }
    out += "}}\n";
    for (const Record* r : records) appendRecord(out, *r);
    const QByteArray hash = QCryptographicHash::hash(out, QCryptographicHash::Blake2b_256).toHex();
    out += "end " + QByteArray::number(records.size()) + ' ' + hash + '\n';
    return out;
}

Parsed fromText(const QByteArray& bytes) {
    Parsed result;
    int lineNumber = 0;
    try {
        if (bytes.size() > kMaxFileSize) throw Failure{QStringLiteral("larger than 64 MB")};
        // The version first: a newer file is refused for what it is, not as garbage.
        const qsizetype firstEnd = bytes.indexOf('\n');
        const QByteArrayView first(bytes.constData(), firstEnd < 0 ? bytes.size() : firstEnd);
        lineNumber = 1;
        if (!first.startsWith(kMagic)) throw Failure{QStringLiteral("not a catalogue sync file")};
        bool numeric = false;
        const int version = first.sliced(kMagic.size()).toByteArray().toInt(&numeric);
        if (!numeric || version < 1) throw Failure{QStringLiteral("no format version")};
        if (version > kFormatVersion)
            throw Failure{QStringLiteral("format %1 is newer than this program reads (%2)")
                              .arg(version)
                              .arg(kFormatVersion)};

        // The closing line vouches for the rest, so it is checked before anything is read.
        lineNumber = 0;
        if (!bytes.endsWith('\n')) throw Failure{QStringLiteral("cut short (no closing line)")};
        const qsizetype endStart = bytes.lastIndexOf('\n', bytes.size() - 2) + 1;
        const QList<QByteArray> closing = bytes.mid(endStart).trimmed().split(' ');
        bool countOk = false;
        const qsizetype count = closing.size() == 3 ? closing.at(1).toLongLong(&countOk) : -1;
        if (closing.size() != 3 || closing.at(0) != "end" || !countOk)
            throw Failure{QStringLiteral("cut short (no closing line)")};
        const QByteArrayView body(bytes.constData(), endStart);
        if (QCryptographicHash::hash(body, QCryptographicHash::Blake2b_256).toHex() !=
            closing.at(2))
            throw Failure{QStringLiteral("cut short or changed (checksum does not match)")};

        State state;
        qsizetype at = firstEnd + 1;
        qsizetype records = 0;
        for (lineNumber = 2; at < endStart; ++lineNumber) {
            const qsizetype next = bytes.indexOf('\n', at);
            const QByteArrayView line(bytes.constData() + at, next - at);
            at = next + 1;
            if (lineNumber == 2) {
                parseHeader(objectOf(line), state);
                continue;
            }
            Record r = parseRecord(Fields(line));
            if (state.records.contains(r.id))
                throw Failure{QStringLiteral("id %1 twice").arg(r.id)};
            state.records.insert(r.id, std::move(r));
            ++records;
        }
        if (lineNumber == 2) throw Failure{QStringLiteral("no header line")};
        lineNumber = 0;
        if (records != count)
            throw Failure{
                QStringLiteral("%1 records, the closing line says %2").arg(records).arg(count)};
        result.state = std::move(state);
    } catch (const Failure& f) {
        result.error =
            lineNumber > 0 ? QStringLiteral("line %1: %2").arg(lineNumber).arg(f.why) : f.why;
    }
    return result;
}

// ---- Home folder --------------------------------------------------------------

namespace {

bool opensPath(const QString& text, qsizetype at) {
    if (at == 0) return true;
    if (QStringView(text).first(at).endsWith(u"file://")) return true;
    const QChar c = text.at(at - 1);
    return c == u'"' || c == u'\'' || c == u'&' || c == u'@' || c == u' ' || c == u'=' || c == u',';
}

bool closesPath(const QString& text, qsizetype at) {
    if (at == text.size()) return true;
    const QChar c = text.at(at);
    return c == u'/' || c == u'"' || c == u'\'' || c == u' ' || c == u',';
}

QString replaceBounded(const QString& text, const QString& from, const QString& to) {
    if (from.isEmpty() || !text.contains(from)) return text;
    QString out;
    qsizetype done = 0;
    for (qsizetype at = text.indexOf(from); at >= 0; at = text.indexOf(from, at + 1)) {
        if (at < done || !opensPath(text, at) || !closesPath(text, at + from.size())) continue;
        out += QStringView(text).mid(done, at - done);
        out += to;
        done = at + from.size();
    }
    out += QStringView(text).mid(done);
    return out;
}

bool usableHome(const QString& home) { return home.size() > 1 && home.startsWith(u'/'); }

}  // namespace

QString homeRelative(const QString& text, const QString& home) {
    return usableHome(home) ? replaceBounded(text, home, QStringLiteral("~")) : text;
}

QString homeAbsolute(const QString& text, const QString& home) {
    return usableHome(home) ? replaceBounded(text, QStringLiteral("~"), home) : text;
}

}  // namespace hx::storage::sync
