#include <gtest/gtest.h>

#include <QCryptographicHash>

#include "storage/sync_file.h"

namespace hx::storage::sync {
namespace {

Record make(const char* id, Kind kind, const char* parent, qint64 order, const QString& name,
            const QString& link = {}, const QString& icon = {}) {
    Record r;
    r.id = QString::fromLatin1(id);
    r.kind = kind;
    r.parent = QString::fromLatin1(parent);
    r.order = order;
    r.name = name;
    r.link = link;
    r.icon = icon;
    r.stamp = {1714557600000 + order, 2, QStringLiteral("r00t")};
    return r;
}

State sample() {
    State s;
    s.root = QStringLiteral("r00t");
    s.written = {1714557609999, 3, s.root};
    s.seen.insert(QStringLiteral("other"), {1714557000000, 0, QStringLiteral("other")});
    for (Record r : {make("c1", Kind::Category, "", 1, QStringLiteral("常用"), "Folder.bmp"),
                     make("k1", Kind::Column, "c1", 1, QStringLiteral("文件\"夹\\")),
                     make("i1", Kind::Item, "k1", 2, QStringLiteral("行\n二\t😀"),
                          QStringLiteral("&\"~/bin/x\" --a"), QStringLiteral("$21")),
                     make("i2", Kind::Item, "k1", 1, QStringLiteral("根"), "/", "/")})
        s.records.insert(r.id, r);
    Record gone;
    gone.id = QStringLiteral("i0");
    gone.gone = true;
    gone.stamp = {1714557605000, 0, QStringLiteral("other")};
    gone.base = {1714557600000, 1, QStringLiteral("r00t")};
    s.records.insert(gone.id, gone);
    s.records[QStringLiteral("i1")].base = {1714557600001, 0, QStringLiteral("other")};
    return s;
}

void expectSame(const State& a, const State& b) {
    EXPECT_EQ(a.root, b.root);
    EXPECT_EQ(a.written, b.written);
    EXPECT_EQ(a.seen, b.seen);
    ASSERT_EQ(a.records.keys().size(), b.records.keys().size());
    for (const Record& r : a.records) {
        const Record other = b.records.value(r.id);
        EXPECT_TRUE(r.sameContent(other)) << r.id.toStdString();
        EXPECT_EQ(r.stamp, other.stamp) << r.id.toStdString();
        EXPECT_EQ(r.base, other.base) << r.id.toStdString();
    }
}

TEST(SyncFile, ReadsBackWhatItWrites) {
    const QByteArray text = toText(sample());
    const Parsed parsed = fromText(text);
    ASSERT_TRUE(parsed.state) << parsed.error.toStdString();
    expectSame(sample(), *parsed.state);
    // Written the same way every time, so an unchanged catalogue is an unchanged file.
    EXPECT_EQ(toText(*parsed.state), text);
    EXPECT_TRUE(text.startsWith("hengxiu-toolbox sync 1\n")) << text.constData();
}

// One changed entry is one changed line, and records stand by kind, parent and order.
TEST(SyncFile, OneChangeIsOneChangedLine) {
    State s = sample();
    const QList<QByteArray> before = toText(s).split('\n');
    s.records[QStringLiteral("i2")].name = QStringLiteral("根目录");
    const QList<QByteArray> after = toText(s).split('\n');
    ASSERT_EQ(before.size(), after.size());
    int differing = 0;
    for (qsizetype i = 0; i < before.size(); ++i)
        if (before.at(i) != after.at(i)) ++differing;
    EXPECT_EQ(differing, 2);  // the record and the checksum
    QStringList ids;
    for (const QByteArray& line : before)
        if (line.startsWith("{\"id\":")) ids << QString::fromUtf8(line.mid(7, 2));
    EXPECT_EQ(ids, (QStringList{"c1", "k1", "i2", "i1", "i0"}));
}

// Whatever a sync tool may leave half-written is refused, never half-read.
TEST(SyncFile, EveryCutFileIsRefused) {
    const QByteArray text = toText(sample());
    for (qsizetype cut = 0; cut < text.size(); cut += 10) {
        const Parsed parsed = fromText(text.left(cut));
        EXPECT_FALSE(parsed.state) << "cut at " << cut;
        EXPECT_FALSE(parsed.error.isEmpty()) << "cut at " << cut;
    }
    EXPECT_FALSE(fromText(text.chopped(1)).state);
}

// A body edited so that it still parses, with a closing line made to fit.
QByteArray sealed(const QByteArray& body, int records) {
    return body + "end " + QByteArray::number(records) + ' ' +
           QCryptographicHash::hash(body, QCryptographicHash::Blake2b_256).toHex() + '\n';
}

TEST(SyncFile, MalformedFilesAreRefusedWithTheReason) {
    const QByteArray header =
        "hengxiu-toolbox sync 1\n{\"root\":\"r\",\"written\":\"5.0\",\"seen\":{}}\n";
    const QByteArray item =
        R"({"id":"a","item":"x","link":"","icon":"","in":"k","order":1,"stamp":"1.0.r"})";
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"garbage", QByteArray("\x89PNG\r\n\x1a\n\0\0garbage", 18), "not a catalogue sync file"},
        {"newer format", "hengxiu-toolbox sync 2\nanything at all\n", "format 2 is newer"},
        {"no version", "hengxiu-toolbox sync x\n", "no format version"},
        {"checksum", toText(sample()).replace("常用", "常见"), "checksum"},
        {"count", sealed(header + item + '\n', 2), "closing line says 2"},
        {"broken json", sealed(header + "{\"id\":\n", 1), "line 3"},
        {"twice", sealed(header + item + '\n' + item + '\n', 2), "twice"},
        {"unknown field",
         sealed(header + QByteArray(item).replace("\"order\"", "\"x\":1,\"order\"") + '\n', 1),
         "unknown field"},
        {"bad id", sealed(header + QByteArray(item).replace("\"a\"", "\"a/b\"") + '\n', 1),
         "\"id\""},
        {"bad stamp", sealed(header + QByteArray(item).replace("1.0.r", "1.r") + '\n', 1), "stamp"},
        {"fractional order", sealed(header + QByteArray(item).replace(":1,", ":1.5,") + '\n', 1),
         "order"},
        {"no kind", sealed(header + R"({"id":"a","order":1,"stamp":"1.0.r"})" + '\n', 1),
         "neither"},
        {"no header", sealed("hengxiu-toolbox sync 1\n", 0), "header"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = fromText(c.bytes);
        EXPECT_FALSE(parsed.state) << c.name;
        EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(c.reason)))
            << c.name << ": " << parsed.error.toStdString();
    }
    EXPECT_TRUE(fromText(sealed(header + item + '\n', 1)).state);
}

// Records are read as JSON: spaces and every escape another writer may use.
TEST(SyncFile, ReadsRecordsWrittenByOtherJsonWriters) {
    const QByteArray header =
        "hengxiu-toolbox sync 1\n{\"root\":\"r\",\"written\":\"5.0\",\"seen\":{}}\n";
    const QByteArray line =
        R"({ "id" : "a", "item": "\u5e38\u7528 \ud83d\ude00\t\"q\"\\", "link": "\/usr\/bin", )"
        R"("icon": "$2\u0001", "in": "k", "order": -3, "stamp": "1.0.r" })";
    const Parsed parsed = fromText(sealed(header + line + '\n', 1));
    ASSERT_TRUE(parsed.state) << parsed.error.toStdString();
    const Record r = parsed.state->records.value(QStringLiteral("a"));
    EXPECT_EQ(r.name, QStringLiteral("常用 😀\t\"q\"\\"));
    EXPECT_EQ(r.link, QStringLiteral("/usr/bin"));
    EXPECT_EQ(r.icon, QStringLiteral("$2\u0001"));
    EXPECT_EQ(r.order, -3);
    // What JSON does not allow, or our records never hold.
    for (const char* bad :
         {R"("\x41")", R"("\ud83d")", "\"a\u0001b\"", "1e3", "1.0", "false", "null"}) {
        QByteArray broken = line;
        broken.replace(R"("\/usr\/bin")", bad).replace("-3", bad);
        EXPECT_FALSE(fromText(sealed(header + broken + '\n', 1)).state) << bad;
    }
}

TEST(SyncFile, HomeFolderTravelsAsTilde) {
    const QString home = QStringLiteral("/home/alice");
    // As stored by alice, as written in the file, as stored by al on another machine.
    const struct {
        const char* stored;
        const char* written;
        const char* elsewhere;
    } cases[] = {
        {"/home/alice/文档/a.txt", "~/文档/a.txt", "/home/al/文档/a.txt"},
        {"/home/alice", "~", "/home/al"},
        {"&\"/home/alice/bin/run\" /home/alice/x", "&\"~/bin/run\" ~/x",
         "&\"/home/al/bin/run\" /home/al/x"},
        {"@/home/alice/y", "@~/y", "@/home/al/y"},
        {"file:///home/alice/z", "file://~/z", "file:///home/al/z"},
        {"/home/alice2/other", "/home/alice2/other", "/home/alice2/other"},
        {"/srv/home/alice/x", "/srv/home/alice/x", "/srv/home/alice/x"},
        {"~user/x", "~user/x", "~user/x"},
        {"$21", "$21", "$21"},
    };
    for (const auto& c : cases) {
        const QString written = homeRelative(QString::fromUtf8(c.stored), home);
        EXPECT_EQ(written, QString::fromUtf8(c.written)) << c.stored;
        EXPECT_EQ(homeAbsolute(written, QStringLiteral("/home/al")), QString::fromUtf8(c.elsewhere))
            << c.stored;
    }
    EXPECT_EQ(homeAbsolute(QStringLiteral("~/a"), QStringLiteral("/")), QStringLiteral("~/a"));
}

}  // namespace
}  // namespace hx::storage::sync
