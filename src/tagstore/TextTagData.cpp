#include "tagstore/TextTagData.h"

#include "tagstore/FourCC.h"

namespace brae {

bool IsWholeTextGroup(uint32_t group) {
  return group == FourCC("ditl") || group == FourCC("scri") || group == FourCC("text");
}

namespace {

// The text box breaks lines at line feeds only; stored texts break them with carriage returns.
std::string WholeText(const std::string& data) {
  std::string text;
  text.reserve(data.size());
  for (size_t i = 0; i < data.size() && data[i] != '\0'; ++i) {
    if (data[i] != '\r') {
      text += data[i];
    } else {
      text += '\n';
      if (i + 1 < data.size() && data[i + 1] == '\n') ++i;
    }
  }
  return text;
}

std::string StringList(const std::string& data) {
  std::string text, piece;
  for (char c : data) {
    if (c == '\0' || c == '\n' || c == '\r') {
      if (!piece.empty()) text += piece + '\n';
      piece.clear();
    } else {
      piece += c;
    }
  }
  if (!piece.empty()) text += piece + '\n';
  return text;
}

}  // namespace

std::string TextFromTagData(uint32_t group, const std::string& data) {
  return IsWholeTextGroup(group) ? WholeText(data) : StringList(data);
}

std::string TagDataFromText(const std::string& text) {
  std::string data = text;
  for (char& c : data)
    if (c == '\n') c = '\r';
  return data;
}

}  // namespace brae
