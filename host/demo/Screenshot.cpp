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

// Visible top-level windows owned by hWnd, however indirectly, topmost first.
std::vector<HWND> OwnedWindows(HWND hWnd) {
    std::vector<HWND> owned;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w != hWnd && IsWindowVisible(w) && GetAncestor(w, GA_ROOTOWNER) == hWnd) {
            owned.push_back(w);
        }
    }
    return owned;
}

} // namespace

Image CaptureWindow(HWND hWnd) {
    Image image;
    RECT area = {};
    if (!GetWindowRect(hWnd, &area) || area.right <= area.left || area.bottom <= area.top) {
        return image;
    }
    std::vector<HWND> layers = OwnedWindows(hWnd);
    layers.push_back(hWnd);
    std::reverse(layers.begin(), layers.end()); // painted bottom first: the frame, then what lies over it
    for (HWND layer : layers) {
        RECT rc = {};
        GetWindowRect(layer, &rc);
        UnionRect(&area, &area, &rc);
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;

    WindowDC screen(nullptr);
    MemoryDCHandle memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    BitmapHandle bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) {
        return image;
    }
    {
        SelectScope select(memory.get(), bitmap.get());
        FillSolid(memory.get(), RECT{0, 0, width, height}, GetSysColor(COLOR_DESKTOP));
        for (HWND layer : layers) {
            RECT rc = {};
            GetWindowRect(layer, &rc);
            // Paint that is still due lands before the copy.
            RedrawWindow(layer, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            WindowDC source(layer, WindowDC::Area::WholeWindow);
            BitBlt(memory.get(), rc.left - area.left, rc.top - area.top, rc.right - rc.left,
                   rc.bottom - rc.top, source.get(), 0, 0, SRCCOPY);
        }
        GdiFlush();
    }
    image.width = width;
    image.height = height;
    image.origin = POINT{area.left, area.top};
    image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    std::memcpy(image.pixels.data(), bits, image.pixels.size() * sizeof(std::uint32_t));
    for (std::uint32_t& pixel : image.pixels) {
        pixel &= 0x00FFFFFFu; // GDI leaves the top byte undefined
    }
    return image;
}

double ShareNotOfColour(const Image& image, const RECT& rc, COLORREF colour) {
    const int left = std::max(0, static_cast<int>(rc.left - image.origin.x));
    const int top = std::max(0, static_cast<int>(rc.top - image.origin.y));
    const int right = std::min(image.width, static_cast<int>(rc.right - image.origin.x));
    const int bottom = std::min(image.height, static_cast<int>(rc.bottom - image.origin.y));
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
