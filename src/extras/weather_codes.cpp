#include "extras/weather_codes.h"

#include <QCoreApplication>

namespace hx::extras {

QString weatherCodeText(int code) {
    switch (code) {
        case 0:
            return QCoreApplication::translate("Weather", "晴");
        case 1:
            return QCoreApplication::translate("Weather", "晴间多云");
        case 2:
            return QCoreApplication::translate("Weather", "多云");
        case 3:
            return QCoreApplication::translate("Weather", "阴");
        case 45:
            return QCoreApplication::translate("Weather", "雾");
        case 48:
            return QCoreApplication::translate("Weather", "雾凇");
        case 51:
            return QCoreApplication::translate("Weather", "小毛毛雨");
        case 53:
            return QCoreApplication::translate("Weather", "毛毛雨");
        case 55:
            return QCoreApplication::translate("Weather", "大毛毛雨");
        case 56:
            return QCoreApplication::translate("Weather", "冻毛毛雨");
        case 57:
            return QCoreApplication::translate("Weather", "强冻毛毛雨");
        case 61:
            return QCoreApplication::translate("Weather", "小雨");
        case 63:
            return QCoreApplication::translate("Weather", "中雨");
        case 65:
            return QCoreApplication::translate("Weather", "大雨");
        case 66:
            return QCoreApplication::translate("Weather", "冻雨");
        case 67:
            return QCoreApplication::translate("Weather", "强冻雨");
        case 71:
            return QCoreApplication::translate("Weather", "小雪");
        case 73:
            return QCoreApplication::translate("Weather", "中雪");
        case 75:
            return QCoreApplication::translate("Weather", "大雪");
        case 77:
            return QCoreApplication::translate("Weather", "米雪");
        case 80:
            return QCoreApplication::translate("Weather", "小阵雨");
        case 81:
            return QCoreApplication::translate("Weather", "阵雨");
        case 82:
            return QCoreApplication::translate("Weather", "强阵雨");
        case 85:
            return QCoreApplication::translate("Weather", "小阵雪");
        case 86:
            return QCoreApplication::translate("Weather", "强阵雪");
        case 95:
            return QCoreApplication::translate("Weather", "雷阵雨");
        case 96:
            return QCoreApplication::translate("Weather", "雷阵雨伴有冰雹");
        case 99:
            return QCoreApplication::translate("Weather", "强雷阵雨伴有冰雹");
        default:
            return {};
    }
}

}  // namespace hx::extras
