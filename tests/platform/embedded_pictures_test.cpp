#include <gtest/gtest.h>

#include <QImageReader>

#include "platform/embedded_pictures.h"
#include "platform/image_read.h"

namespace hx::platform {
namespace {

// Pixels decoded at build time stand in for the readers only while they are
// exactly what the readers give for the resource of that name today.
TEST(EmbeddedPictures, EachIsWhatItsResourceReadsAs) {
    ASSERT_FALSE(embeddedPictures().empty());
    for (const EmbeddedPicture& picture : embeddedPictures()) {
        const QString resource = QString::fromUtf16(picture.resource);
        SCOPED_TRACE(resource.toStdString());
        QImageReader reader(resource);
        const QImage decoded = reader.read();
        ASSERT_FALSE(decoded.isNull()) << reader.errorString().toStdString();
        const QImage embedded = readImage(resource);
        EXPECT_EQ(embedded.format(), decoded.format());
        EXPECT_EQ(embedded, decoded);
        // Writing to the shared copy detaches it; the program's own stays.
        QImage changed = embedded;
        changed.setPixel(0, 0, 0xff123456);
        EXPECT_EQ(readImage(resource), decoded);
    }
    EXPECT_FALSE(embeddedPicture(u":/ui/app_icon_256.png"));
    EXPECT_FALSE(embeddedPicture(u"ui/app_icon_32.png"));  // a file, not the resource
    EXPECT_FALSE(readImage(QStringLiteral(":/ui/app_icon_256.png")).isNull());
}

}  // namespace
}  // namespace hx::platform
