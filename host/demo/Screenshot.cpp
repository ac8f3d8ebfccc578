#include "host/demo/Screenshot.h"

#include "toolkit/GdiHandle.h"

#include <algorithm>
#include <cstring>

namespace demo {

namespace {

std::uint32_t PixelOf(COLORREF colour) {
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

} // namespace

Image CaptureWindow(HWND hWnd) {
    Image image;
    RECT rc = {};
    if (!GetWindowRect(hWnd, &rc) || rc.right <= rc.left || rc.bottom <= rc.top) {
        return image;
    }
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;

    WindowDC source(hWnd, WindowDC::Area::WholeWindow);
    MemoryDCHandle memory(CreateCompatibleDC(source.get()));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    BitmapHandle bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!source.get() || !memory || !bitmap || !bits) {
        return image;
    }
    {
        SelectScope select(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY);
        GdiFlush();
    }
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::memcpy(image.pixels.data(), bits, image.pixels.size() * sizeof(std::uint32_t));
    for (std::uint32_t& pixel : image.pixels) {
        pixel &= 0x00FFFFFFu; // GDI leaves the top byte undefined
    }
    return image;
}

double ShareNotOfColour(const Image& image, const RECT& rc, COLORREF colour) {
    const int left = std::max(0, static_cast<int>(rc.left));
    const int top = std::max(0, static_cast<int>(rc.top));
    const int right = std::min(image.width, static_cast<int>(rc.right));
    const int bottom = std::min(image.height, static_cast<int>(rc.bottom));
    if (left >= right || top >= bottom) {
        return 0.0;
    }
    const std::uint32_t match = PixelOf(colour);
    std::size_t other = 0;
    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* row = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
        other += static_cast<std::size_t>(
            std::count_if(row + left, row + right, [match](std::uint32_t p) { return p != match; }));
    }
    return static_cast<double>(other) / (static_cast<double>(right - left) * (bottom - top));
}

} // namespace demo
