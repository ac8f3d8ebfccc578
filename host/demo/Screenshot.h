#pragma once
// Pictures of the demo terminal's frame, taken the way the screen shows them.
#include <windows.h>

#include <cstdint>
#include <vector>

namespace demo {

// 32-bit top-down pixels as GDI lays them out: 0x00RRGGBB.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The whole window, its frame and menu included, copied from its window DC. Child windows'
// pixels come with it. (PrintWindow does not capture our windows on Wine.)
Image CaptureWindow(HWND hWnd);

// The share of the pixels inside rc (clipped to the image) whose colour is not colour;
// 0 when no part of rc lies in the image.
double ShareNotOfColour(const Image& image, const RECT& rc, COLORREF colour);

} // namespace demo
