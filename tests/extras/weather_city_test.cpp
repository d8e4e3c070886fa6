#include <gtest/gtest.h>

#include "extras/weather_city.h"
#include "text/gbk.h"

namespace {

using namespace hx::extras;

QByteArray gbk(const char* utf8) { return hx::text::toGbk(QString::fromUtf8(utf8)); }

QByteArray lookupReply(const QByteArray& place) {
    return "var returnCitySN = {\"cip\": \"203.0.113.7\", \"cname\": \"" + place + "\"};";
}

TEST(WeatherCity, PlaceNameRules) {
    const std::pair<const char*, const char*> cases[] = {
        {"广东省深圳市", "深圳"},
        {"北京市", "北京"},
        {"浙江省杭州市西湖区", "杭州"},
        // Without "省" the cut starts at the first byte.
        {"内蒙古自治区呼和浩特市", "内蒙古自治区呼和浩特"},
        {"广东省", ""},
        {"美国", ""},
        {"省市", ""},
        {"", ""}};
    for (const auto& [place, city] : cases) {
        EXPECT_EQ(cityFromPlace(gbk(place)), gbk(city)) << place;
        EXPECT_EQ(cityFromIpReply(lookupReply(gbk(place))), QString::fromUtf8(city)) << place;
    }
}

TEST(WeatherCity, MarkersAndBrokenBytes) {
    const QByteArray shenzhen = lookupReply(gbk("广东省深圳市"));
    EXPECT_EQ(cityFromIpReply(shenzhen + lookupReply(gbk("上海市"))), QStringLiteral("深圳"));
    EXPECT_EQ(cityFromIpReply(shenzhen + '\0' + "junk"), QStringLiteral("深圳"));
    QByteArray zeroFirst = shenzhen;
    zeroFirst.insert(zeroFirst.indexOf("cname"), '\0');
    const QByteArray empty[] = {
        zeroFirst,
        "{\"cname\": \"" + gbk("北京市"),  // no closing marker
        // No opening marker: an error page holding "市" is no city.
        "<html>" + gbk("北京市") + "\"};</html>",
        // Half a character, or "市" found across two characters (B0CA D0A1).
        lookupReply(gbk("广东省") + "\xC9" + gbk("市")),
        lookupReply(gbk("广东省") + "\xB0\xCA\xD0\xA1" + gbk("市")),
        lookupReply(gbk("广东省") + "\x01\x02" + gbk("市")),
        lookupReply(gbk("广东省") + QByteArray(kMaxCityLength + 1, 'a') + gbk("市")),
        lookupReply(gbk("广东省") + "  " + gbk("市"))};
    for (const QByteArray& reply : empty)
        EXPECT_TRUE(cityFromIpReply(reply).isEmpty()) << reply.toHex().toStdString();
    EXPECT_FALSE(isPlausibleCity(QStringLiteral("深\u202E圳")));
    EXPECT_TRUE(isPlausibleCity(QStringLiteral("São Paulo")));
}

}  // namespace
