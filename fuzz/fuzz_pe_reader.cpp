// Any bytes given as a program file must yield icons or nothing, never a read
// outside the input or a runaway walk of the resource tree.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/pe_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hx::platform;
    const std::span<const std::uint8_t> bytes(data, size);
    const int groups = pe::iconGroupCount(bytes);
    for (int i = 0; i < groups && i < 8; ++i) {
        if (auto image = pe::loadIconGroup(bytes, i, i % 2 ? 16 : 32)) {
            if (image->width > ico::kMaxIconDimension || image->height > ico::kMaxIconDimension)
                __builtin_trap();
        }
    }
    (void)pe::hasIconGroup(bytes, -1);
    (void)pe::loadIconGroup(bytes, -1, 32);
    (void)pe::hasIconGroup(bytes, groups);
    return 0;
}
