#pragma once
// The preferences store: a flat, ordered table of named integers and strings, kept in
// "res/prefs.txt". Filled with defaults at start-up, overwritten by the file, written back
// completely at shutdown.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace brae {

struct PrefValue {
  enum Kind { kInt = 0, kString = 1 };
  Kind kind = kInt;
  std::string text;
  int32_t number = 0;
};

// A window as the placement functions see it. The toolkit's Window implements this.
class PlacementTarget {
 public:
  virtual ~PlacementTarget() = default;
  // state: 0 normal, 1 collapsed, 2 zoomed; frame in the parent's client coordinates.
  virtual void GetPlacement(int* state, int* x0, int* y0, int* x1, int* y1) const = 0;
  virtual void SetPlacement(int state, int x0, int y0, int x1, int y1) = 0;
  // Size of the area the window is fitted into ("the screen").
  virtual void GetScreenSize(int* width, int* height) const = 0;
};

// A dialog control whose value can be remembered. The toolkit's controls implement this.
class ControlValueTarget {
 public:
  virtual ~ControlValueTarget() = default;
  virtual const char* ClassName() const = 0;  // "CheckBox" and "TextBox" are remembered
  virtual int GetCheckState() const { return 0; }
  virtual void SetCheckState(int) {}
  virtual std::string GetControlText() const { return {}; }
  virtual void SetControlText(const std::string&) {}
};

class Prefs {
 public:
  // The file used by Load and Save; "res/prefs.txt" unless changed.
  void SetPath(const std::string& path) { path_ = path.substr(0, 259); }
  const std::string& Path() const { return path_; }

  bool Load();
  bool Save() const;
  // Parses text in the file format; entries replace existing ones. Exposed for tests.
  void ParseText(const std::string& bytes);
  std::string FormatText() const;

  bool GetInt(const std::string& key, int* out) const;
  bool GetString(const std::string& key, std::string* out) const;
  void SetInt(const std::string& key, int value);
  void SetString(const std::string& key, const std::string& text);
  bool GetStringList(const std::string& key, std::vector<std::string>* out) const;
  void SetStringList(const std::string& key, const std::vector<std::string>& list);

  bool GetWindowPlacement(PlacementTarget* window, const std::string& key,
                          bool fit_to_screen) const;
  void SetWindowPlacement(const PlacementTarget& window, const std::string& key);

  void SaveControlValue(const std::string& key, ControlValueTarget* control, bool save);
  // Pairs of control name and control; keys are "<dialog key>.<control name>".
  void DialogValues(const std::string& dialog_key, bool save,
                    const std::vector<std::pair<std::string, ControlValueTarget*>>& controls);

  void Clear() { values_.clear(); }
  const std::map<std::string, PrefValue>& Values() const { return values_; }

 private:
  std::map<std::string, PrefValue> values_;
  std::string path_ = "res/prefs.txt";
};

// The process-wide store and the operations under their usual names.
Prefs& ThePrefs();
inline bool LoadPrefs() {
  return ThePrefs().Load();
}
inline bool SavePrefs() {
  return ThePrefs().Save();
}
inline bool GetPrefInt(const std::string& key, int* out) {
  return ThePrefs().GetInt(key, out);
}
inline bool GetPrefString(const std::string& key, std::string* out) {
  return ThePrefs().GetString(key, out);
}
inline void SetPrefInt(const std::string& key, int value) {
  ThePrefs().SetInt(key, value);
}
inline void SetPrefString(const std::string& key, const std::string& text) {
  ThePrefs().SetString(key, text);
}
inline bool GetPrefStringList(const std::string& key, std::vector<std::string>* out) {
  return ThePrefs().GetStringList(key, out);
}
inline void SetPrefStringList(const std::string& key, const std::vector<std::string>& list) {
  ThePrefs().SetStringList(key, list);
}
inline bool GetWindowPlacement(PlacementTarget* w, const std::string& key, bool fit) {
  return ThePrefs().GetWindowPlacement(w, key, fit);
}
inline void SetWindowPlacement(const PlacementTarget& w, const std::string& key) {
  ThePrefs().SetWindowPlacement(w, key);
}
inline void SaveControlValue(const std::string& key, ControlValueTarget* c, bool save) {
  ThePrefs().SaveControlValue(key, c, save);
}
inline void LoadControlValue(const std::string& key, ControlValueTarget* c) {
  ThePrefs().SaveControlValue(key, c, false);
}

}  // namespace brae
