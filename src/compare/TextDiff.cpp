// Changed lines of text tags, as a unified diff orders them.
#include <algorithm>
#include <string>
#include <vector>

#include "compare/TagDiff.h"
#include "tagstore/TextTagData.h"

namespace brae {

namespace {

// Beyond this many line pairs the changed middle is shown as replaced as a whole.
constexpr size_t kMaxTable = size_t(1) << 22;

std::vector<std::string> Lines(uint32_t group, const std::vector<uint8_t>& data) {
  const std::string text = TextFromTagData(group, std::string(data.begin(), data.end()));
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Which lines of a and b (ranges [a0, a1) and [b0, b1)) belong to a longest common sequence.
void CommonLines(const std::vector<std::string>& a, const std::vector<std::string>& b, size_t a0,
                 size_t a1, size_t b0, size_t b1, std::vector<bool>* keep_a,
                 std::vector<bool>* keep_b) {
  const size_t n = a1 - a0, m = b1 - b0;
  if (n == 0 || m == 0 || n * m > kMaxTable) return;
  std::vector<uint32_t> table((n + 1) * (m + 1), 0);
  auto at = [&](size_t i, size_t j) -> uint32_t& { return table[i * (m + 1) + j]; };
  for (size_t i = n; i-- > 0;)
    for (size_t j = m; j-- > 0;)
      at(i, j) =
          a[a0 + i] == b[b0 + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
  size_t i = 0, j = 0;
  while (i < n && j < m) {
    if (a[a0 + i] == b[b0 + j]) {
      (*keep_a)[a0 + i++] = true;
      (*keep_b)[b0 + j++] = true;
    } else if (at(i + 1, j) >= at(i, j + 1)) {
      ++i;
    } else {
      ++j;
    }
  }
}

}  // namespace

void CompareText(uint32_t group, const std::vector<uint8_t>& old_data,
                 const std::vector<uint8_t>& new_data, std::vector<TagDifference>* out) {
  const std::vector<std::string> a = Lines(group, old_data);
  const std::vector<std::string> b = Lines(group, new_data);
  std::vector<bool> keep_a(a.size(), false), keep_b(b.size(), false);
  size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) {
    keep_a[head] = keep_b[head] = true;
    ++head;
  }
  size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
    keep_a[a.size() - 1 - tail] = keep_b[b.size() - 1 - tail] = true;
    ++tail;
  }
  CommonLines(a, b, head, a.size() - tail, head, b.size() - tail, &keep_a, &keep_b);
  // Walk both texts together; each run of changes lists its removals, then its additions.
  size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    if (i < a.size() && j < b.size() && keep_a[i] && keep_b[j]) {
      ++i;
      ++j;
      continue;
    }
    while (i < a.size() && !keep_a[i]) {
      out->push_back({"-" + std::to_string(i + 1), a[i], ""});
      ++i;
    }
    while (j < b.size() && !keep_b[j]) {
      out->push_back({"+" + std::to_string(j + 1), "", b[j]});
      ++j;
    }
  }
}

}  // namespace brae
