#include "extras/weather_city.h"

#include "text/gbk.h"
#include "text/markers.h"

namespace hx::extras {

namespace {

const QByteArray kPlaceOpen = QByteArrayLiteral("cname\": \"");
const QByteArray kPlaceClose = QByteArrayLiteral("\"};");

}  // namespace

QByteArray placeFromIpReply(const QByteArray& body) {
    const qsizetype zero = body.indexOf('\0');
    const QByteArray text = zero < 0 ? body : body.left(zero);
    if (!text.contains(kPlaceOpen)) return {};
    return text::cutBetween(text, kPlaceOpen, kPlaceClose);
}

QByteArray cityFromPlace(const QByteArray& gbkPlace) {
    static const QByteArray province = text::toGbk(QStringLiteral("省"));
    static const QByteArray city = text::toGbk(QStringLiteral("市"));
    return text::cutBetween(gbkPlace, province, city);
}

bool isPlausibleCity(const QString& city) {
    if (city.trimmed().isEmpty() || city.size() > kMaxCityLength) return false;
    for (const QChar c : city) {
        if (c == QChar::ReplacementCharacter || c.category() == QChar::Other_Control ||
            c.category() == QChar::Other_Format)
            return false;
    }
    return true;
}

QString cityText(const QByteArray& gbkCity) {
    const QString decoded = text::fromGbk(gbkCity);
    if (!isPlausibleCity(decoded)) return {};
    // A stray byte that decodes to a different text is not what the server meant.
    if (text::toGbk(decoded) != gbkCity) return {};
    return decoded.trimmed();
}

QString cityFromIpReply(const QByteArray& body) {
    return cityText(cityFromPlace(placeFromIpReply(body)));
}

}  // namespace hx::extras
