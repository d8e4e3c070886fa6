#pragma once

#include <QImage>
#include <QStringView>
#include <optional>
#include <span>

namespace hx::platform {

// A picture of our resources decoded at build time (see
// tools/make_embedded_pictures.cpp): its pixels as the reader returns them.
struct EmbeddedPicture {
    const char16_t* resource;  // ":/ui/app_icon_32.png"
    const unsigned char* pixels;
    int width, height, bytesPerLine, format;
};

std::span<const EmbeddedPicture> embeddedPictures();

// The picture for `resource` without reading it, sharing the program's own
// copy of its pixels (writing to it detaches); none for the others.
std::optional<QImage> embeddedPicture(QStringView resource);

}  // namespace hx::platform
