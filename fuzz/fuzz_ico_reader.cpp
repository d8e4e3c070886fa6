// Any bytes given as an .ico file or as a single icon image must decode or be
// refused without reading outside the input.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/ico_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hx::platform::ico;
    const std::span<const std::uint8_t> bytes(data, size);
    const int count = imageCount(bytes);
    for (int i = 0; i < count && i < 64; ++i) {
        if (auto image = decodeEntry(bytes, i)) {
            if (image->png.empty() &&
                image->argb.size() != static_cast<std::size_t>(image->width) * image->height)
                __builtin_trap();
            if (image->width > kMaxIconDimension || image->height > kMaxIconDimension)
                __builtin_trap();
        }
    }
    (void)bestEntry(entries(bytes), 32);
    (void)decodeImage(bytes);
    return 0;
}
