#pragma once

#include <QByteArray>
#include <QString>

namespace hx::extras {

// The place name of an IP-to-city reply: the body up to its first zero byte,
// cut between `cname": "` and `"};` on its GBK bytes. Empty when the reply
// lacks the opening marker: an error page must not become a city.
QByteArray placeFromIpReply(const QByteArray& body);

// The city inside a place name, between "省" and "市" (GBK bytes): 广东省深圳市
// gives 深圳, 北京市 gives 北京, a name without "市" gives nothing.
QByteArray cityFromPlace(const QByteArray& gbkPlace);

// A name fit to be asked for and shown: not blank, no control or format
// characters, no undecodable bytes, at most kMaxCityLength characters.
inline constexpr int kMaxCityLength = 32;
bool isPlausibleCity(const QString& city);

// The city as text, or empty when its GBK bytes are not a plausible name.
QString cityText(const QByteArray& gbkCity);

// The whole road from reply to city text.
QString cityFromIpReply(const QByteArray& body);

}  // namespace hx::extras
