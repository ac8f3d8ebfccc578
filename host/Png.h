#pragma once
#include <cstdint>
#include <string>

namespace host {
// Writes 32-bit top-down BGRA pixels as an RGB PNG (uncompressed deflate blocks).
bool WritePng(const std::wstring& path, const std::uint32_t* pixels, int width, int height);
} // namespace host
