#include <gtest/gtest.h>

#include "extras/weather_city.h"
#include "text/gbk.h"

namespace {

using hx::extras::cityFromIpReply;
using hx::extras::cityFromPlace;
using hx::extras::isPlausibleCity;
using hx::extras::placeFromIpReply;
using hx::text::toGbk;

QByteArray gbk(const char* utf8) { return toGbk(QString::fromUtf8(utf8)); }

// What the IP-to-city service answers, in GBK.
QByteArray lookupReply(const QByteArray& place) {
    return "var returnCitySN = {\"cip\": \"203.0.113.7\", \"cid\": \"440300\", \"cname\": \"" +
           place + "\"};";
}

TEST(WeatherCity, PlaceNameRules) {
    EXPECT_EQ(cityFromPlace(gbk("广东省深圳市")), gbk("深圳"));
    EXPECT_EQ(cityFromPlace(gbk("北京市")), gbk("北京"));
    // Without "省" the cut starts at the first byte, whatever stands before "市".
    EXPECT_EQ(cityFromPlace(gbk("内蒙古自治区呼和浩特市")), gbk("内蒙古自治区呼和浩特"));
    EXPECT_TRUE(cityFromPlace(gbk("广东省")).isEmpty());
    EXPECT_TRUE(cityFromPlace(gbk("中国")).isEmpty());
    EXPECT_TRUE(cityFromPlace("CHINA").isEmpty());
    EXPECT_TRUE(cityFromPlace(gbk("省市")).isEmpty());
    EXPECT_TRUE(cityFromPlace({}).isEmpty());
}

TEST(WeatherCity, WholeReplyToCityText) {
    EXPECT_EQ(cityFromIpReply(lookupReply(gbk("广东省深圳市"))), QStringLiteral("深圳"));
    EXPECT_EQ(cityFromIpReply(lookupReply(gbk("北京市"))), QStringLiteral("北京"));
    EXPECT_EQ(cityFromIpReply(lookupReply(gbk("浙江省杭州市西湖区"))), QStringLiteral("杭州"));
    EXPECT_TRUE(cityFromIpReply(lookupReply(gbk("美国"))).isEmpty());
    EXPECT_TRUE(cityFromIpReply({}).isEmpty());
}

TEST(WeatherCity, MarkersMissingRepeatedOrCut) {
    // The first place counts.
    EXPECT_EQ(cityFromIpReply(lookupReply(gbk("广东省深圳市")) + lookupReply(gbk("上海市"))),
              QStringLiteral("深圳"));
    // No closing marker: nothing.
    EXPECT_TRUE(placeFromIpReply("{\"cname\": \"" + gbk("北京市")).isEmpty());
    // No opening marker: an error page holding "市" must not become a city.
    EXPECT_TRUE(placeFromIpReply("<html>" + gbk("北京市") + "\"};</html>").isEmpty());
    EXPECT_TRUE(cityFromIpReply("<html>" + gbk("北京市") + "\"};</html>").isEmpty());
    // The body ends at its first zero byte.
    QByteArray cut = lookupReply(gbk("广东省深圳市"));
    cut.insert(cut.indexOf("cname"), '\0');
    EXPECT_TRUE(cityFromIpReply(cut).isEmpty());
    QByteArray tail = lookupReply(gbk("广东省深圳市"));
    tail.append('\0').append("garbage");
    EXPECT_EQ(cityFromIpReply(tail), QStringLiteral("深圳"));
}

TEST(WeatherCity, BrokenBytesGiveNoCity) {
    // A lone lead byte where the city should be.
    EXPECT_TRUE(cityFromIpReply(lookupReply(gbk("广东省") + "\xC9" + gbk("市"))).isEmpty());
    // "市" found across two characters (B0CA D0A1): the byte cut leaves half
    // a character, which is no city.
    EXPECT_TRUE(
        cityFromIpReply(lookupReply(gbk("广东省") + "\xB0\xCA\xD0\xA1" + gbk("市"))).isEmpty());
    EXPECT_TRUE(cityFromIpReply(lookupReply(gbk("广东省") + "\x01\x02" + gbk("市"))).isEmpty());
    EXPECT_TRUE(
        cityFromIpReply(lookupReply(gbk("广东省") + QByteArray(60, 'a') + gbk("市"))).isEmpty());
    EXPECT_TRUE(cityFromIpReply(lookupReply(gbk("广东省") + "  " + gbk("市"))).isEmpty());
}

TEST(WeatherCity, PlausibleNames) {
    EXPECT_TRUE(isPlausibleCity(QStringLiteral("深圳")));
    EXPECT_TRUE(isPlausibleCity(QStringLiteral("São Paulo")));
    EXPECT_FALSE(isPlausibleCity(QString()));
    EXPECT_FALSE(isPlausibleCity(QStringLiteral("  ")));
    EXPECT_FALSE(isPlausibleCity(QStringLiteral("深\n圳")));
    EXPECT_FALSE(isPlausibleCity(QStringLiteral("深\u202E圳")));
    EXPECT_FALSE(isPlausibleCity(QString(33, QLatin1Char('x'))));
    EXPECT_TRUE(isPlausibleCity(QString(32, QLatin1Char('x'))));
}

}  // namespace
