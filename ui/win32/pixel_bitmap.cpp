#include "pixel_bitmap.h"

#include <algorithm>

namespace ts::win32 {

void PixelBitmap::Make(HDC screen, int width, int height) {
    Free();
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = std::max(width, 1);
    format.bmiHeader.biHeight = -std::max(height, 1);
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    bits_ = static_cast<std::uint32_t*>(bits);
}

void PixelBitmap::Free() {
    if (dc_ == nullptr) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    bits_ = nullptr;
}

}  // namespace ts::win32
