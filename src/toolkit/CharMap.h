#pragma once
// The game's 8-bit character set: conversion to and from Unicode (Mac OS Roman unless a
// "charmap" file replaces it) and the keyboard's Alt layer.

#include <cstdint>
#include <string>

namespace brae {

// Unicode code point of an 8-bit code (0x20..0xFF) in the table in force.
uint16_t CharToUnicode(uint8_t code);
// Codes below 0x20 unchanged; others through the table, an empty entry becoming a space.
std::u16string ToUnicode(const std::string& text);
// Codes up to 0x20 unchanged; otherwise the first table entry holding the code, else the code
// itself when below 256, else 255.
std::string FromUnicode(const std::u16string& text);
uint8_t FromUnicodeChar(uint32_t code);

// Replaces the table from a "charmap" file (224 little-endian 16-bit code points). A missing or
// short file leaves the table in force; returns whether it was replaced.
bool LoadCharMap(const std::string& path);
void ResetCharMap();

// The character typed with or without Alt: 0 for codes 0x7F..0xFF, -1 outside 0x20..0xFF.
int AltCharacter(int code, bool alt_held);

}  // namespace brae
