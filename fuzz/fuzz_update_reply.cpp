// Any reply of the update page must give short, printable fields, and only a
// web address may ever be judged safe to open.
#include <QByteArray>
#include <QUrl>
#include <cstddef>
#include <cstdint>

#include "extras/update_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hx::extras;
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const UpdateReply reply = parseUpdateReply(body);
    for (const QString* shown : {&reply.version, &reply.digest}) {
        if (shown->size() > kShownFieldLength) __builtin_trap();
        for (const QChar c : *shown)
            if (c.category() == QChar::Other_Control) __builtin_trap();
    }
    if (isSafeDownloadAddress(reply.address)) {
        const QString scheme = QUrl(reply.address).scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) __builtin_trap();
    }
    return 0;
}
