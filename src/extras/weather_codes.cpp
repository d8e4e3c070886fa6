#include "extras/weather_codes.h"

namespace hx::extras {

QString weatherCodeText(int code) {
    switch (code) {
        case 0:
            return QStringLiteral("晴");
        case 1:
            return QStringLiteral("晴间多云");
        case 2:
            return QStringLiteral("多云");
        case 3:
            return QStringLiteral("阴");
        case 45:
            return QStringLiteral("雾");
        case 48:
            return QStringLiteral("雾凇");
        case 51:
            return QStringLiteral("小毛毛雨");
        case 53:
            return QStringLiteral("毛毛雨");
        case 55:
            return QStringLiteral("大毛毛雨");
        case 56:
            return QStringLiteral("冻毛毛雨");
        case 57:
            return QStringLiteral("强冻毛毛雨");
        case 61:
            return QStringLiteral("小雨");
        case 63:
            return QStringLiteral("中雨");
        case 65:
            return QStringLiteral("大雨");
        case 66:
            return QStringLiteral("冻雨");
        case 67:
            return QStringLiteral("强冻雨");
        case 71:
            return QStringLiteral("小雪");
        case 73:
            return QStringLiteral("中雪");
        case 75:
            return QStringLiteral("大雪");
        case 77:
            return QStringLiteral("米雪");
        case 80:
            return QStringLiteral("小阵雨");
        case 81:
            return QStringLiteral("阵雨");
        case 82:
            return QStringLiteral("强阵雨");
        case 85:
            return QStringLiteral("小阵雪");
        case 86:
            return QStringLiteral("强阵雪");
        case 95:
            return QStringLiteral("雷阵雨");
        case 96:
            return QStringLiteral("雷阵雨伴有冰雹");
        case 99:
            return QStringLiteral("强雷阵雨伴有冰雹");
        default:
            return {};
    }
}

}  // namespace hx::extras
