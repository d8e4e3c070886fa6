// Any reply of the IP-to-city service must give a city that really stands in
// the reply, fits the name rules, or nothing.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "extras/weather_city.h"
#include "text/gbk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hx::extras;
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype zero = body.indexOf('\0');
    const QByteArray text = zero < 0 ? body : body.left(zero);

    const QByteArray place = placeFromIpReply(body);
    if (!place.isEmpty() && (!text.contains("cname\": \"") || !text.contains(place)))
        __builtin_trap();
    const QByteArray city = cityFromPlace(place);
    if (!city.isEmpty() && !place.contains(city)) __builtin_trap();

    const QString shown = cityFromIpReply(body);
    if (!shown.isEmpty()) {
        if (!isPlausibleCity(shown)) __builtin_trap();
        if (!text.contains(hx::text::toGbk(shown))) __builtin_trap();
    }
    // The name rules on their own, on any text.
    (void)isPlausibleCity(QString::fromUtf8(body));
    return 0;
}
