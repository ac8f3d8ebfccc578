#pragma once
// Narrow texts of the host's records, the bars' account numbers and the INI files are in
// code page 936; everything drawn is UTF-16.
#include <cstddef>
#include <string>

// Texts that are drawn or converted are held in buffers of this many characters, terminator
// included.
constexpr int kTextChars = 260;

// Converts text into dest (destChars wide characters including the terminator) only when
// the whole text with its terminator fits; otherwise dest is left as it was. Returns whether
// it converted.
bool Cp936ToWide(const char* text, wchar_t* dest, int destChars);

// The wide text in code page 936, at most maxBytes bytes including the terminator; a text
// that does not fit gives the empty string.
std::string WideToCp936(const wchar_t* text, int maxBytes);

// Copies text into dest (destBytes bytes including the terminator), cut at a character
// boundary so that no double-byte character is split; always terminated.
void CopyCp936Bounded(char* dest, std::size_t destBytes, const char* text);
