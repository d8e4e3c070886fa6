#include <gtest/gtest.h>

#include "items/pinyin_index.h"

namespace hx::items {
namespace {

MatchKind kindOf(const QString& name, const QString& query) {
    return PinyinIndex::build({name}).match(0, query);
}

TEST(PinyinMatch, FullPinyinInitialsAndTheirMixFindChineseNames) {
    const QString panel = QStringLiteral("控制面板");
    EXPECT_EQ(kindOf(panel, QStringLiteral("kzmb")), MatchKind::Exact);
    EXPECT_EQ(kindOf(panel, QStringLiteral("kongzhimianban")), MatchKind::Exact);
    EXPECT_EQ(kindOf(panel, QStringLiteral("kongzhi")), MatchKind::Prefix);
    EXPECT_EQ(kindOf(panel, QStringLiteral("kongzm")), MatchKind::Prefix);
    EXPECT_EQ(kindOf(panel, QStringLiteral("kzmba")), MatchKind::Prefix);     // inside the last
    EXPECT_EQ(kindOf(panel, QStringLiteral("mianb")), MatchKind::WordStart);  // from the middle
    EXPECT_EQ(kindOf(panel, QStringLiteral("KZMB")), MatchKind::Exact);       // letter case
    EXPECT_EQ(kindOf(QStringLiteral("控"), QStringLiteral("k")), MatchKind::Prefix);
    EXPECT_EQ(kindOf(panel, QStringLiteral("kzmbx")), MatchKind::None);
    EXPECT_EQ(kindOf(panel, QStringLiteral("kmb")), MatchKind::None);     // units must be adjacent
    EXPECT_EQ(kindOf(panel, QStringLiteral("ongzhi")), MatchKind::None);  // not inside a syllable
}

TEST(PinyinMatch, PolyphonicAndRareCharactersMatchByEveryReading) {
    for (const char* q : {"zhongqi", "chongqi", "zq", "cq", "chongq"})
        EXPECT_NE(kindOf(QStringLiteral("重启"), QString::fromLatin1(q)), MatchKind::None) << q;
    EXPECT_NE(kindOf(QStringLiteral("银行"), QStringLiteral("yinhang")), MatchKind::None);
    EXPECT_NE(kindOf(QStringLiteral("银行"), QStringLiteral("yinxing")), MatchKind::None);
    EXPECT_NE(kindOf(QStringLiteral("音乐"), QStringLiteral("yinyue")), MatchKind::None);
    EXPECT_NE(kindOf(QStringLiteral("绿色"), QStringLiteral("lvse")), MatchKind::None);
    EXPECT_NE(kindOf(QStringLiteral("绿色"), QStringLiteral("luse")), MatchKind::None);
    // Outside the basic block (extension B): still read by ICU.
    EXPECT_NE(kindOf(QString::fromUcs4(U"𠀀"), QStringLiteral("h")), MatchKind::None);
}

TEST(PinyinMatch, MixedLatinAndFullWidthNames) {
    const QString mixed = QStringLiteral("QQ音乐 Player");
    EXPECT_EQ(kindOf(mixed, QStringLiteral("qq")), MatchKind::Prefix);
    EXPECT_EQ(kindOf(mixed, QStringLiteral("qqyy")), MatchKind::Prefix);
    EXPECT_EQ(kindOf(mixed, QStringLiteral("yinyuepla")), MatchKind::WordStart);
    EXPECT_EQ(kindOf(mixed, QStringLiteral("yyp")), MatchKind::WordStart);
    EXPECT_EQ(kindOf(mixed, QStringLiteral("qqyyp")), MatchKind::Exact);
    // Word prefixes of Latin names, and a plain substring.
    EXPECT_EQ(kindOf(QStringLiteral("Visual Studio Code"), QStringLiteral("vsc")),
              MatchKind::Exact);
    EXPECT_EQ(kindOf(QStringLiteral("Visual Studio Code"), QStringLiteral("stud")),
              MatchKind::WordStart);
    EXPECT_EQ(kindOf(QStringLiteral("Code"), QStringLiteral("c")), MatchKind::Prefix);
    EXPECT_EQ(kindOf(QStringLiteral("Visual Studio Code"), QStringLiteral("tudio")),
              MatchKind::Substring);
    // Full-width letters on either side are plain letters.
    EXPECT_EQ(kindOf(QStringLiteral("ＷＰＳ文字"), QStringLiteral("wps")), MatchKind::Prefix);
    EXPECT_EQ(kindOf(QStringLiteral("WPS文字"), QStringLiteral("ｗｐｓｗｚ")), MatchKind::Exact);
    // Every Han character starts a syllable; inside a Latin word is a plain substring.
    EXPECT_EQ(kindOf(QStringLiteral("记事本"), QStringLiteral("事本")), MatchKind::WordStart);
    EXPECT_EQ(kindOf(QStringLiteral("my.js"), QStringLiteral(".js")), MatchKind::WordStart);
}

// Kind first (exact name, pinyin or initials; prefix; word or syllable start;
// substring), then usage, then catalogue order.
TEST(PinyinSearch, RanksByKindThenUsage) {
    struct Case {
        const char* why;
        QStringList names;
        const char* query;
        std::vector<double> weights;
        std::vector<std::size_t> expected;  // the whole result, in order
    };
    const QStringList panels = {QStringLiteral("控制面板设置"), QStringLiteral("看中模板"),
                                QStringLiteral("控制面板")};
    const QStringList js = {QStringLiteral("节省时间"), QStringLiteral("xjsx"),
                            QStringLiteral("my.js"),    QStringLiteral("jsbin"),
                            QStringLiteral("金山"),     QStringLiteral("js"),
                            QStringLiteral("jieshu")};
    const Case cases[] = {
        {"exact initials before a prefix; equals by order", panels, "kzmb", {}, {1, 2, 0}},
        {"the used one first among the exact", panels, "kzmb", {0, 0, 3}, {2, 1, 0}},
        {"usage never lifts a weaker kind", panels, "kzmb", {9, 0, 0}, {1, 2, 0}},
        {"full pinyin of the whole name is exact", panels, "kongzhimianban", {}, {2, 0}},
        {"name, initials, prefixes, word start, substring", js, "js", {}, {4, 5, 0, 3, 2, 1}},
        {"usage within each kind", js, "js", {0, 0, 0, 5, 0, 1}, {5, 4, 3, 0, 2, 1}},
        {"Latin words", {"Visual Studio Code", "Code", "Codec Pack"}, "code", {}, {1, 2, 0}},
        {"a Chinese query", {"记事本", "本地", "事本"}, "本", {}, {1, 0, 2}},
        {"nothing for blanks", js, "   ", {}, {}},
    };
    for (const Case& c : cases) {
        const PinyinIndex index = PinyinIndex::build(c.names);
        EXPECT_EQ(index.search(QString::fromUtf8(c.query), c.weights, 50), c.expected) << c.why;
    }
    const PinyinIndex index = PinyinIndex::build(js);
    EXPECT_EQ(index.search(QStringLiteral("js"), {}, 2), (std::vector<std::size_t>{4, 5}));
    EXPECT_EQ(index.match(6, QStringLiteral("js")), MatchKind::None);  // "jieshu" is one word
    EXPECT_TRUE(PinyinIndex::build({}).search(QStringLiteral("js"), {}, 10).empty());
}

}  // namespace
}  // namespace hx::items
