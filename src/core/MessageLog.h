#pragma once
// The program's message log: text kept per category ("Codex", "Model Import", the name of a
// collection being built). The log viewer window attaches as the listener.

#include <cstdarg>
#include <functional>
#include <map>
#include <string>

namespace brae {

class MessageLog {
 public:
  // Called after every append: (level, category, appended text). Level 1 or more asks the
  // viewer to show itself.
  using Listener =
      std::function<void(int level, const std::string& category, const std::string& text)>;

  void Append(int level, const std::string& category, const std::string& text);
  const std::string& Text(const std::string& category) const;
  const std::map<std::string, std::string>& Categories() const { return texts_; }
  void Clear() { texts_.clear(); }

  void SetListener(Listener listener) { listener_ = std::move(listener); }
  // Also copy every line to standard error (the command-line tools use this).
  void SetEcho(bool echo) { echo_ = echo; }

 private:
  std::map<std::string, std::string> texts_;
  Listener listener_;
  bool echo_ = false;
};

MessageLog& TheMessageLog();

// Appends printf-formatted text to the log under a category.
void Log(int level, const char* category, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void LogV(int level, const char* category, const char* format, va_list args);

}  // namespace brae
