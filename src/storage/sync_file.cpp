#include "storage/sync_file.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <algorithm>
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

QByteArray clockText(const Stamp& s) {
    return QByteArray::number(s.time) + '.' + QByteArray::number(s.seq);
}
QByteArray stampText(const Stamp& s) { return clockText(s) + '.' + s.root.toLatin1(); }

void appendField(QByteArray& out, const char* key, const QString& value) {
    out += ",\"";
    out += key;
    out += "\":";
    appendString(out, value);
}

QByteArray recordLine(const Record& r) {
    QByteArray line = "{\"id\":";
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
        line += ",\"order\":" + QByteArray::number(r.order);
    }
    line += ",\"stamp\":\"" + stampText(r.stamp) + '"';
    if (!r.base.isNull()) line += ",\"base\":\"" + stampText(r.base) + '"';
    line += "}\n";
    return line;
}

int rank(const Record& r) { return r.gone ? 3 : static_cast<int>(r.kind); }

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

QString stringField(const QJsonObject& o, const char* key, bool required = true) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() && !required) return {};
    if (!v.isString()) throw Failure{QStringLiteral("\"%1\" is not text").arg(QLatin1String(key))};
    return v.toString();
}

Stamp stampField(const QJsonObject& o, const char* key, bool required = true) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() && !required) return {};
    const auto s = v.isString() ? parseClock(v.toString(), true) : std::nullopt;
    if (!s) throw Failure{QStringLiteral("\"%1\" is not a stamp").arg(QLatin1String(key))};
    return *s;
}

QString idField(const QJsonObject& o, const char* key) {
    const QString id = stringField(o, key);
    if (!isValidId(id))
        throw Failure{QStringLiteral("\"%1\" is not an id").arg(QLatin1String(key))};
    return id;
}

void allowOnly(const QJsonObject& o, std::initializer_list<const char*> keys) {
    for (auto it = o.begin(); it != o.end(); ++it) {
        const bool known = std::any_of(keys.begin(), keys.end(),
                                       [&](const char* k) { return it.key() == QLatin1String(k); });
        if (!known) throw Failure{QStringLiteral("unknown field \"%1\"").arg(it.key())};
    }
}

Record parseRecord(const QJsonObject& o) {
    Record r;
    r.id = idField(o, "id");
    r.stamp = stampField(o, "stamp");
    r.base = stampField(o, "base", false);
    if (o.contains(QLatin1String("gone"))) {
        if (o.value(QLatin1String("gone")) != QJsonValue(true))
            throw Failure{QStringLiteral("bad \"gone\"")};
        allowOnly(o, {"id", "gone", "stamp", "base"});
        r.gone = true;
        return r;
    }
    const QJsonValue order = o.value(QLatin1String("order"));
    const double number = order.toDouble();
    // Whole numbers that a double holds exactly; anything beyond is not ours.
    if (!order.isDouble() || std::abs(number) > 9007199254740992.0 || number != std::trunc(number))
        throw Failure{QStringLiteral("\"order\" is not a whole number")};
    r.order = static_cast<qint64>(number);
    if (o.contains(QLatin1String("category"))) {
        allowOnly(o, {"id", "category", "picture", "order", "stamp", "base"});
        r.kind = Kind::Category;
        r.name = stringField(o, "category");
        r.link = stringField(o, "picture");
    } else if (o.contains(QLatin1String("column"))) {
        allowOnly(o, {"id", "column", "in", "order", "stamp", "base"});
        r.kind = Kind::Column;
        r.name = stringField(o, "column");
        r.parent = idField(o, "in");
    } else if (o.contains(QLatin1String("item"))) {
        allowOnly(o, {"id", "item", "link", "icon", "in", "order", "stamp", "base"});
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

void parseHeader(const QJsonObject& o, State& state) {
    allowOnly(o, {"root", "written", "seen"});
    state.root = idField(o, "root");
    const auto written = parseClock(stringField(o, "written"), false);
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
    QVector<const Record*> records;
    records.reserve(state.records.size());
    for (const Record& r : state.records) records << &r;
    std::sort(records.begin(), records.end(), [](const Record* a, const Record* b) {
        if (rank(*a) != rank(*b)) return rank(*a) < rank(*b);
        if (a->gone) return a->id < b->id;
        if (a->parent != b->parent) return a->parent < b->parent;
        if (a->order != b->order) return a->order < b->order;
        return a->id < b->id;
    });

    QByteArray out = kMagic + QByteArray::number(kFormatVersion) + '\n';
    out.reserve(records.size() * 200);
    out += "{\"root\":";
    appendString(out, state.root);
    out += ",\"written\":\"" + clockText(state.written) + "\",\"seen\":{";
    QStringList roots = state.seen.keys();
    roots.sort();
    for (qsizetype i = 0; i < roots.size(); ++i) {
        if (i > 0) out += ',';
        appendString(out, roots.at(i));
        out += ":\"" + clockText(state.seen.value(roots.at(i))) + '"';
    }
    out += "}}\n";
    for (const Record* r : records) out += recordLine(*r);
    const QByteArray hash = QCryptographicHash::hash(out, QCryptographicHash::Sha256).toHex();
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
        if (QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() != closing.at(2))
            throw Failure{QStringLiteral("cut short or changed (checksum does not match)")};

        State state;
        qsizetype at = firstEnd + 1;
        qsizetype records = 0;
        for (lineNumber = 2; at < endStart; ++lineNumber) {
            const qsizetype next = bytes.indexOf('\n', at);
            const QByteArrayView line(bytes.constData() + at, next - at);
            at = next + 1;
            const QJsonObject object = objectOf(line);
            if (lineNumber == 2) {
                parseHeader(object, state);
                continue;
            }
            Record r = parseRecord(object);
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
