#include "core/Prefs.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/FileModes.h"

namespace brae {

namespace {

// A cursor over the bytes of the preferences file.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : s_(bytes) {}
  bool AtEnd() const { return pos_ >= s_.size(); }
  int Peek() const { return AtEnd() ? -1 : static_cast<unsigned char>(s_[pos_]); }
  void Advance() { ++pos_; }
  size_t Pos() const { return pos_; }
  void Seek(size_t p) { pos_ = p; }

  // A line end is a line feed, a carriage return, or a carriage return and a line feed.
  bool ReadLineEnd() {
    if (Peek() == '\n') {
      Advance();
      return true;
    }
    if (Peek() == '\r') {
      Advance();
      if (Peek() == '\n') Advance();
      return true;
    }
    return false;
  }

 private:
  const std::string& s_;
  size_t pos_ = 0;
};

bool IsWhite(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool ReadInteger(Reader& r, int32_t* out) {
  bool negative = false;
  if (r.Peek() == '-') {
    negative = true;
    r.Advance();
  }
  int64_t value = 0;
  int digits = 0;
  while (r.Peek() >= '0' && r.Peek() <= '9') {
    if (value < (int64_t{1} << 32)) value = value * 10 + (r.Peek() - '0');
    r.Advance();
    ++digits;
  }
  if (digits == 0 || !r.ReadLineEnd()) return false;
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  *out = static_cast<int32_t>(value);
  return true;
}

bool ReadQuoted(Reader& r, std::string* out) {
  if (r.Peek() != '"') return false;
  r.Advance();
  std::string text;
  for (;;) {
    int c = r.Peek();
    if (c == '"') break;
    if (c < 0x20 || c > 0x7E) return false;  // also end of file
    text.push_back(static_cast<char>(c));
    r.Advance();
  }
  r.Advance();
  if (!r.ReadLineEnd()) return false;
  *out = std::move(text);
  return true;
}

}  // namespace

Prefs& ThePrefs() {
  static Prefs prefs;
  return prefs;
}

void Prefs::ParseText(const std::string& bytes) {
  Reader r(bytes);
  for (;;) {
    std::string key;
    while (!r.AtEnd() && !IsWhite(r.Peek())) {
      key.push_back(static_cast<char>(r.Peek()));
      r.Advance();
    }
    if (key.empty()) return;
    if (r.Peek() != ' ') return;  // line feed, tab or end of file after a key ends loading
    r.Advance();

    size_t mark = r.Pos();
    int32_t number = 0;
    std::string text;
    if (ReadInteger(r, &number)) {
      SetInt(key, number);
      continue;
    }
    r.Seek(mark);
    if (ReadQuoted(r, &text)) {
      SetString(key, text);
      continue;
    }
    r.Seek(mark);
    while (r.Peek() == '\n' || r.Peek() == '\r') r.Advance();
    if (r.AtEnd()) return;
  }
}

bool Prefs::Load() {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return false;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  ParseText(bytes.str());
  return true;
}

std::string Prefs::FormatText() const {
  std::string out;
  for (const auto& [key, value] : values_) {
    out += key;
    if (value.kind == PrefValue::kInt) {
      out += ' ' + std::to_string(value.number) + '\n';
    } else {
      out += " \"" + value.text + "\"\n";
    }
  }
  return out;
}

bool Prefs::Save() const {
  // Write a temporary file beside the target and rename it over the target, so that a
  // failed write never destroys the existing file.
  const std::string temp = path_ + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  const std::string text = FormatText();
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  ok = (std::fflush(f) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  ok = ok && GiveReplacingFileMode(temp, path_);
  if (!ok || std::rename(temp.c_str(), path_.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool Prefs::GetInt(const std::string& key, int* out) const {
  auto it = values_.find(key);
  if (it == values_.end() || it->second.kind != PrefValue::kInt) return false;
  *out = it->second.number;
  return true;
}

bool Prefs::GetString(const std::string& key, std::string* out) const {
  auto it = values_.find(key);
  if (it == values_.end() || it->second.kind != PrefValue::kString) return false;
  *out = it->second.text;
  return true;
}

void Prefs::SetInt(const std::string& key, int value) {
  PrefValue& v = values_[key];
  v.kind = PrefValue::kInt;
  v.number = value;
  v.text.clear();
}

void Prefs::SetString(const std::string& key, const std::string& text) {
  PrefValue& v = values_[key];
  v.kind = PrefValue::kString;
  v.text = text;
  v.number = 0;
}

bool Prefs::GetStringList(const std::string& key, std::vector<std::string>* out) const {
  std::string text;
  if (GetString(key, &text)) {
    size_t start = 0;
    for (size_t semi; (semi = text.find(';', start)) != std::string::npos; start = semi + 1) {
      out->push_back(text.substr(start, semi - start));
    }
  }
  return !out->empty();
}

void Prefs::SetStringList(const std::string& key, const std::vector<std::string>& list) {
  std::string text;
  for (const auto& item : list) text += item + ';';
  SetString(key, text);
}

bool Prefs::GetWindowPlacement(PlacementTarget* window, const std::string& key,
                               bool fit_to_screen) const {
  std::string text;
  if (!GetString(key, &text)) return false;
  int state, x0, y0, x1, y1;
  if (std::sscanf(text.c_str(), "%d %d %d %d %d", &state, &x0, &y0, &x1, &y1) != 5) return false;
  if (fit_to_screen) {
    int width = 0, height = 0;
    window->GetScreenSize(&width, &height);
    if (x1 > width) {
      x0 -= x1 - width;
      x1 = width;
    }
    if (y1 > height) {
      y0 -= y1 - height;
      y1 = height;
    }
    if (x0 < 0) {
      x1 -= x0;
      x0 = 0;
    }
    if (y0 < 0) {
      y1 -= y0;
      y0 = 0;
    }
  }
  window->SetPlacement(state, x0, y0, x1, y1);
  return true;
}

void Prefs::SetWindowPlacement(const PlacementTarget& window, const std::string& key) {
  int state = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  window.GetPlacement(&state, &x0, &y0, &x1, &y1);
  char text[80];
  std::snprintf(text, sizeof text, "%d %d %d %d %d", state, x0, y0, x1, y1);
  SetString(key, text);
}

void Prefs::SaveControlValue(const std::string& key, ControlValueTarget* control, bool save) {
  const std::string kind = control->ClassName();
  if (kind == "CheckBox") {
    int state = 0;
    if (save) {
      SetInt(key, control->GetCheckState());
    } else if (GetInt(key, &state) && static_cast<unsigned>(state) < 4) {
      control->SetCheckState(state);
    }
  } else if (kind == "TextBox") {
    std::string text;
    if (save) {
      SetString(key, control->GetControlText());
    } else if (GetString(key, &text)) {
      control->SetControlText(text);
    }
  }
}

void Prefs::DialogValues(const std::string& dialog_key, bool save,
                         const std::vector<std::pair<std::string, ControlValueTarget*>>& controls) {
  for (const auto& [name, control] : controls) {
    if (control) SaveControlValue(dialog_key + "." + name, control, save);
  }
}

}  // namespace brae
