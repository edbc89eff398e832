#include "collection/FolderLayout.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "collection/BitmapEditing.h"
#include "tagstore/FileSystem.h"

namespace brae {

namespace {

constexpr const char* kScriptName = "script.txt";
constexpr int kMaxDimension = 0xFFFF;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int Lower(char c) {
  return std::tolower(static_cast<unsigned char>(c));
}

// Compares two digit runs as numbers (leading zeros ignored); shorter run first on a tie.
int CompareNumbers(const std::string& a, size_t& i, const std::string& b, size_t& j) {
  size_t ea = i, eb = j;
  while (ea < a.size() && IsDigit(a[ea])) ++ea;
  while (eb < b.size() && IsDigit(b[eb])) ++eb;
  size_t za = i, zb = j;
  while (za + 1 < ea && a[za] == '0') ++za;
  while (zb + 1 < eb && b[zb] == '0') ++zb;
  int result = 0;
  if (ea - za != eb - zb) {
    result = ea - za < eb - zb ? -1 : 1;
  } else {
    const int c = a.compare(za, ea - za, b, zb, eb - zb);
    if (c) result = c < 0 ? -1 : 1;
  }
  i = ea, j = eb;
  return result;
}

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool StartsWithWord(const std::string& line, const char* word, std::string* rest) {
  const std::string w = word;
  if (line.size() < w.size() || !EqualsNoCase(line.substr(0, w.size()), w)) return false;
  if (line.size() > w.size() && !std::isspace(static_cast<unsigned char>(line[w.size()])))
    return false;
  *rest = Trimmed(line.substr(w.size()));
  return true;
}

std::optional<bool> ParseTruth(const std::string& text) {
  for (const char* yes : {"true", "yes", "on", "1"}) {
    if (EqualsNoCase(text, yes)) return true;
  }
  for (const char* no : {"false", "no", "off", "0"}) {
    if (EqualsNoCase(text, no)) return false;
  }
  return std::nullopt;
}

std::vector<int> ParseFrameList(const std::string& line) {
  std::vector<int> frames;
  for (size_t i = 0; i < line.size();) {
    if (line[i] == '~') {
      frames.push_back(0);
      ++i;
    } else if (IsDigit(line[i])) {
      long v = 0;
      while (i < line.size() && IsDigit(line[i])) {
        v = std::min(v * 10 + (line[i] - '0'), long(kMaxDimension) + 1);
        ++i;
      }
      frames.push_back(int(v));
    } else {
      ++i;
    }
  }
  return frames;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && EqualsNoCase(s.substr(s.size() - tail.size()), tail);
}

// The files of one folder, in natural order (script.txt left out).
std::vector<std::string> FilesOf(const std::string& folder) {
  std::vector<std::string> files;
  ScanFolder(
      folder, false,
      [&](const FileInfoRecord&, const std::string& path, const std::string& name) {
        if (!EqualsNoCase(name, kScriptName)) files.push_back(path + name);
        return true;
      },
      nullptr);
  std::sort(files.begin(), files.end(), NaturalLess);
  return files;
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const int c = CompareNumbers(a, i, b, j);
      if (c) return c < 0;
      continue;
    }
    const int ca = Lower(a[i]), cb = Lower(b[j]);
    if (ca != cb) return ca < cb;
    ++i, ++j;
  }
  if ((i < a.size()) != (j < b.size())) return i >= a.size();
  return a < b;
}

SequenceScript ParseSequenceScript(const std::string& text) {
  SequenceScript script;
  std::istringstream lines(text);
  std::string raw;
  while (std::getline(lines, raw)) {
    const std::string line = Trimmed(raw);
    std::string rest;
    if (StartsWithWord(line, "BitmapOrder", &rest)) {
      if (EqualsNoCase(rest, "ViewsThenFrames")) script.order = BitmapOrder::kViewsThenFrames;
      if (EqualsNoCase(rest, "FramesThenViews")) script.order = BitmapOrder::kFramesThenViews;
    } else if (StartsWithWord(line, "AlignIndividually", &rest)) {
      if (auto truth = ParseTruth(rest)) script.align_individually = truth;
    } else if (!line.empty() && line[0] == '(') {
      script.frames = ParseFrameList(line);
    }
  }
  return script;
}

bool ParseSequenceFolderName(const std::string& folder_name, std::string* name, int* views,
                             int* frames) {
  std::string s = folder_name;
  while (!s.empty() && s.back() == '/') s.pop_back();
  if (s.empty() || s.back() != ')') return false;
  const size_t open = s.rfind('(');
  if (open == std::string::npos) return false;
  const std::string inside = s.substr(open + 1, s.size() - open - 2);
  const size_t comma = inside.find(',');
  if (comma == std::string::npos) return false;
  auto number = [](const std::string& t, int* out) {
    const std::string v = Trimmed(t);
    if (v.empty() || v.size() > 5 || !std::all_of(v.begin(), v.end(), IsDigit)) return false;
    *out = std::atoi(v.c_str());
    return *out >= 1 && *out <= kMaxDimension;
  };
  if (!number(inside.substr(0, comma), views) || !number(inside.substr(comma + 1), frames))
    return false;
  *name = s.substr(0, s.find('('));
  return true;
}

bool ListSequenceFiles(const std::string& folder_in, SequenceFiles* out) {
  const std::string folder = NormalizedFolderPath(folder_in);
  if (!FolderExists(folder)) return false;
  *out = SequenceFiles();
  out->folder = folder;
  const std::string images = FolderExists(folder + "bitmaps/") ? folder + "bitmaps/" : folder;
  for (const std::string& path : FilesOf(images)) {
    if (EndsWithNoCase(FileBaseName(path), ".alpha"))
      out->alphas.push_back(path);
    else
      out->colours.push_back(path);
  }
  if (out->alphas.empty() && FolderExists(folder + "alphas/"))
    out->alphas = FilesOf(folder + "alphas/");
  std::ifstream script(folder + kScriptName, std::ios::binary);
  if (script) {
    std::ostringstream text;
    text << script.rdbuf();
    out->has_script = true;
    out->script = ParseSequenceScript(text.str());
  }
  return true;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
  std::vector<std::string> names;
  ScanFolder(folder, false, nullptr,
             [&](const FileInfoRecord&, const std::string&, const std::string& name) {
               names.push_back(name);
               return true;
             });
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

LayoutResult LayOutCells(int frames, int views, int file_count, BitmapOrder order,
                         const std::optional<std::vector<int>>& frame_list) {
  LayoutResult result;
  CellLayout& l = result.layout;
  l.frames = frames;
  l.views = views;
  if (int64_t(frames) * views > kMaxSequenceCells) {
    result.error = LayoutError::kTooManyCells;
    return result;
  }
  if (frame_list) {
    if (int(frame_list->size()) != frames) {
      result.error = LayoutError::kFrameListLength;
      return result;
    }
    l.source_frame = *frame_list;
  } else {
    for (int f = 0; f < frames; ++f) l.source_frame.push_back(f + 1);
  }
  std::set<int> distinct(l.source_frame.begin(), l.source_frame.end());
  distinct.erase(0);
  const int64_t needed = int64_t(distinct.size()) * views;
  l.files_needed = int(std::min<int64_t>(needed, INT32_MAX));
  if (file_count < needed) {
    result.error = LayoutError::kTooFewFiles;
    return result;
  }
  result.extra_files = file_count > needed;
  l.folder_frames = views > 0 ? file_count / views : 0;
  for (int s : l.source_frame) {
    if (s > l.folder_frames) {
      result.error = LayoutError::kFrameTooLarge;
      result.bad_frame = s;
      return result;
    }
  }
  // Views then frames: the files run through the views of source frame 1, then of frame 2, ...
  // Frames then views: the list is transposed, the files run through the frames of view 1 first.
  l.file_of_cell.assign(size_t(frames) * size_t(views), -1);
  for (int f = 0; f < frames; ++f) {
    const int s = l.source_frame[size_t(f)];
    if (s == 0) continue;
    for (int v = 0; v < views; ++v) {
      l.file_of_cell[size_t(f * views + v)] = order == BitmapOrder::kFramesThenViews
                                                  ? v * l.folder_frames + (s - 1)
                                                  : (s - 1) * views + v;
    }
  }
  return result;
}

}  // namespace brae
