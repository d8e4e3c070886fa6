#include <gtest/gtest.h>

#include "items/pinyin_index.h"

namespace hx::items {
namespace {

MatchKind kindOf(const QString& name, const QString& query) {
    return PinyinIndex::build({name}).match(0, query);
}

TEST(PinyinMatch, FullPinyinInitialsAndTheirMixFindChineseNames) {
    const QString panel = QStringLiteral("控制面板");
    EXPECT_EQ(kindOf(panel, QStringLiteral("kzmb")), MatchKind::Initials);
    EXPECT_EQ(kindOf(panel, QStringLiteral("kongzhi")), MatchKind::Pinyin);
    EXPECT_EQ(kindOf(panel, QStringLiteral("kongzm")), MatchKind::Pinyin);
    EXPECT_EQ(kindOf(panel, QStringLiteral("mianb")), MatchKind::Pinyin);   // from the middle
    EXPECT_EQ(kindOf(panel, QStringLiteral("KZMB")), MatchKind::Initials);  // letter case
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
    EXPECT_EQ(kindOf(mixed, QStringLiteral("qqyy")), MatchKind::Pinyin);
    EXPECT_NE(kindOf(mixed, QStringLiteral("yinyuepla")), MatchKind::None);
    EXPECT_EQ(kindOf(mixed, QStringLiteral("yyp")), MatchKind::Initials);
    // Word prefixes of Latin names, and a plain substring.
    EXPECT_EQ(kindOf(QStringLiteral("Visual Studio Code"), QStringLiteral("vsc")),
              MatchKind::Initials);
    EXPECT_EQ(kindOf(QStringLiteral("Visual Studio Code"), QStringLiteral("stud")),
              MatchKind::Pinyin);
    EXPECT_EQ(kindOf(QStringLiteral("Visual Studio Code"), QStringLiteral("tudio")),
              MatchKind::Substring);
    // Full-width letters on either side are plain letters.
    EXPECT_EQ(kindOf(QStringLiteral("ＷＰＳ文字"), QStringLiteral("wps")), MatchKind::Prefix);
    EXPECT_EQ(kindOf(QStringLiteral("WPS文字"), QStringLiteral("ｗｐｓｗｚ")), MatchKind::Pinyin);
    EXPECT_EQ(kindOf(QStringLiteral("记事本"), QStringLiteral("事本")), MatchKind::Substring);
}

TEST(PinyinSearch, RanksByKindThenRecencyAndHandlesEmptyInput) {
    const QStringList names = {
        QStringLiteral("计算器 calc"),  // 0: pinyin "js" only as initials
        QStringLiteral("js"),           // 1: exact
        QStringLiteral("jsbin"),        // 2: prefix
        QStringLiteral("jieshu"),       // 3: one Latin word, no initials
        QStringLiteral("金山"),         // 4: initials
        QStringLiteral("节省时间"),     // 5: initials, opened recently
        QStringLiteral("my.js"),        // 6: word prefix
    };
    const PinyinIndex index = PinyinIndex::build(names);
    std::vector<qint64> opened(names.size(), 0);
    opened[5] = 100;
    const std::vector<std::size_t> hits = index.search(QStringLiteral("js"), opened, 10);
    ASSERT_GE(hits.size(), 5u);
    EXPECT_EQ(hits[0], 1u);
    EXPECT_EQ(hits[1], 2u);
    // Among the initials matches, the recently opened one first, then index order.
    EXPECT_EQ(hits[2], 5u);
    EXPECT_EQ(index.search(QStringLiteral("js"), opened, 2).size(), 2u);
    EXPECT_EQ(index.match(3, QStringLiteral("js")), MatchKind::None);  // "jieshu" is one word

    EXPECT_TRUE(index.search(QString(), opened, 10).empty());
    EXPECT_TRUE(index.search(QStringLiteral("   "), opened, 10).empty());
    const PinyinIndex empty = PinyinIndex::build({});
    EXPECT_EQ(empty.size(), 0u);
    EXPECT_TRUE(empty.search(QStringLiteral("js"), {}, 10).empty());
}

}  // namespace
}  // namespace hx::items
