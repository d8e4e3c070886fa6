#pragma once

#include <QByteArray>
#include <QString>

namespace hx::text {

// GBK (code page 936) is what files and servers from the original platform speak.
QString fromGbk(const QByteArray& gbk);
QByteArray toGbk(const QString& text);

bool isValidUtf8(const QByteArray& bytes);

// Decodes a legacy file: UTF-8 when the bytes are valid UTF-8, GBK otherwise.
QString decodeUtf8OrGbk(const QByteArray& bytes);

}  // namespace hx::text
