#pragma once
// Pictures of the demo terminal's frame, taken the way the screen shows them.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace demo {

// 32-bit top-down pixels as GDI lays them out: 0x00RRGGBB. origin is the screen point of the
// picture's top left pixel.
struct Image {
    int width = 0;
    int height = 0;
    POINT origin = {};
    std::vector<std::uint32_t> pixels;
};

// The whole window, its frame and menu included, and every visible top-level window it owns
// (a bar's dialog or drop-down list: they are owned by the frame the bar sits in), each copied
// from its own window DC at its place on screen, the owned ones over the window in their
// z-order. The picture spans them all; what none of them covers is the desktop colour.
// (PrintWindow does not capture our windows on Wine, and the screen itself reads black under
// Xvfb where popups lie.)
Image CaptureWindow(HWND hWnd);

// The share of the pixels inside rc (screen coordinates, clipped to the image) whose colour is
// not colour; 0 when no part of rc lies in the image.
double ShareNotOfColour(const Image& image, const RECT& rc, COLORREF colour);

} // namespace demo
