#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "text/gbk.h"

using namespace hx::text;

TEST(Gbk, ChineseRoundTrip) {
    const QString text = QStringLiteral("衡岫电脑工具箱 v3.9 北京");
    const QByteArray gbk = toGbk(text);
    // 衡 is BA E2 in code page 936; nine Chinese characters of two bytes each.
    EXPECT_EQ(gbk.left(2), QByteArray("\xBA\xE2"));
    EXPECT_EQ(gbk.size(), 9 * 2 + 6);
    EXPECT_EQ(fromGbk(gbk), text);
}

TEST(Gbk, AsciiIsUnchanged) {
    EXPECT_EQ(toGbk(QStringLiteral("abc 123")), QByteArray("abc 123"));
    EXPECT_EQ(fromGbk("abc 123"), QStringLiteral("abc 123"));
    EXPECT_TRUE(fromGbk(QByteArray()).isEmpty());
}

TEST(Gbk, InvalidBytesAreReplacedAndDecodingGoesOn) {
    // 0xFF is never valid in GBK; a lead byte at the very end is truncated.
    const QString decoded = fromGbk(QByteArray("a\xFF\xBA\xE2z\xBA"));
    EXPECT_EQ(decoded, QStringLiteral("a\uFFFD衡z\uFFFD"));
}

TEST(Gbk, CharactersOutsideGbkBecomeQuestionMarks) {
    // An emoji has no GBK form; it is replaced and the rest still converts.
    const QString back = fromGbk(toGbk(QStringLiteral("天\U0001F600气")));
    EXPECT_TRUE(back.startsWith(QStringLiteral("天?")));
    EXPECT_TRUE(back.endsWith(QStringLiteral("?气")));
    EXPECT_FALSE(back.contains(QStringLiteral("\U0001F600")));
}

TEST(Utf8, Validity) {
    EXPECT_TRUE(isValidUtf8(QByteArray()));
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8(QStringLiteral("工具条=1").toUtf8()));
    EXPECT_TRUE(isValidUtf8(QStringLiteral("\U0001F600").toUtf8()));
    EXPECT_FALSE(isValidUtf8(toGbk(QStringLiteral("工具条"))));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE5\xB7"));          // cut short
    EXPECT_FALSE(isValidUtf8("\x80"));              // lone continuation
}

TEST(Utf8, DecodeChoosesByValidity) {
    const QString text = QStringLiteral("[皮肤]\n皮肤名称=蓝色.she\n");
    EXPECT_EQ(decodeUtf8OrGbk(text.toUtf8()), text);
    EXPECT_EQ(decodeUtf8OrGbk(toGbk(text)), text);
}
