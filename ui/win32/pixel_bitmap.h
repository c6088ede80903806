#pragma once

#include <cstdint>

#include "base/color.h"
#include "win32.h"

namespace ts::win32 {

// A colour as a pixel of these bitmaps: blue in the lowest byte, and the top byte zero, as GDI
// leaves it.
constexpr std::uint32_t PixelOf(Color color) {
    return (static_cast<std::uint32_t>(RedOf(color)) << 16) |
           (static_cast<std::uint32_t>(GreenOf(color)) << 8) |
           static_cast<std::uint32_t>(BlueOf(color));
}

// A bitmap of 32-bit pixels, top row first, selected into a memory device context of its own:
// the charts draw into it with GDI and set its pixels directly, far quicker than GDI strokes
// dotted lines or blends.
class PixelBitmap {
public:
    PixelBitmap() = default;
    PixelBitmap(const PixelBitmap&) = delete;
    PixelBitmap& operator=(const PixelBitmap&) = delete;
    ~PixelBitmap() { Free(); }

    // Made anew, `width` by `height` pixels (at least one each), for the screen of `screen`.
    void Make(HDC screen, int width, int height);
    void Free();
    HDC Dc() const { return dc_; }
    std::uint32_t* Bits() const { return bits_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

}  // namespace ts::win32
