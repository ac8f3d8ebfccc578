#pragma once
// PNG files through the system's image codecs (WIC): compressed on writing, any PNG on reading.
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// Writes 32-bit top-down pixels 0x00RRGGBB (as GDI lays them out) as an RGB PNG.
bool WritePng(const std::wstring& path, const std::uint32_t* pixels, int width, int height);

// Reads a PNG into 32-bit top-down pixels 0x00RRGGBB; false when it cannot be decoded.
bool ReadPng(const std::wstring& path, std::vector<std::uint32_t>& pixels, int& width, int& height);

} // namespace host
