#include "core/MessageLog.h"

#include <cstdio>

namespace brae {

MessageLog& TheMessageLog() {
  static MessageLog log;
  return log;
}

void MessageLog::Append(int level, const std::string& category, const std::string& text) {
  texts_[category] += text;
  if (echo_) std::fprintf(stderr, "%s: %s", category.c_str(), text.c_str());
  if (listener_) listener_(level, category, text);
}

const std::string& MessageLog::Text(const std::string& category) const {
  static const std::string empty;
  auto it = texts_.find(category);
  return it == texts_.end() ? empty : it->second;
}

void LogV(int level, const char* category, const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length < 0) return;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(length));
  TheMessageLog().Append(level, category, text);
}

void Log(int level, const char* category, const char* format, ...) {
  va_list args;
  va_start(args, format);
  LogV(level, category, format, args);
  va_end(args);
}

}  // namespace brae
