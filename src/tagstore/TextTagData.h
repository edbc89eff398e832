#pragma once
// The conversions of the text editor between tag data and the text it shows.

#include <cstdint>
#include <string>

namespace brae {

// Whether the group's data is one whole text ('ditl', 'scri', 'text') rather than a list of
// strings ('stli', 'temp').
bool IsWholeTextGroup(uint32_t group);

// The text shown for tag data. A whole text runs up to its first zero byte; its line breaks
// (carriage return, or carriage return and line feed) become line feeds. A string list is cut
// at every zero byte, line feed or carriage return; each non-empty piece becomes a line.
std::string TextFromTagData(uint32_t group, const std::string& data);

// The bytes stored for a text: every line feed becomes a carriage return; no terminating zero.
std::string TagDataFromText(const std::string& text);

}  // namespace brae
