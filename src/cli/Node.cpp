#include <cstdio>

#include "cli/CliCommon.h"

namespace brae::cli {

Node& Node::Add(const std::string& k, const std::string& v) {
  children.push_back(Node{k, v, false, false, {}});
  return children.back();
}

Node& Node::Add(const std::string& k, int64_t v) {
  children.push_back(Node{k, std::to_string(v), true, false, {}});
  return children.back();
}

Node& Node::AddGroup(const std::string& k, bool array) {
  children.push_back(Node{k, "", false, array, {}});
  return children.back();
}

namespace {

void Text(const Node& n, int depth, std::string* out) {
  for (const Node& c : n.children) {
    out->append(size_t(depth) * 2, ' ');
    const bool group = !c.children.empty() || c.is_array;
    if (group) {
      *out += (c.key.empty() ? "-" : c.key + ":") + "\n";
      Text(c, depth + 1, out);
    } else {
      *out += (c.key.empty() ? "- " : c.key + ": ") + c.value + "\n";
    }
  }
}

std::string Quote(const std::string& s) {
  std::string q = "\"";
  for (unsigned char ch : s) {
    if (ch == '"' || ch == '\\') {
      q += '\\';
      q += char(ch);
    } else if (ch < 0x20 || ch >= 0x7F) {
      // Game text is 8-bit; bytes outside ASCII are shown as code points of the same value.
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", ch);
      q += buf;
    } else {
      q += char(ch);
    }
  }
  return q + "\"";
}

void Json(const Node& n, std::string* out) {
  const bool group = !n.children.empty() || n.is_array;
  if (!group) {
    *out += n.is_number ? n.value : Quote(n.value);
    return;
  }
  *out += n.is_array ? "[" : "{";
  for (size_t i = 0; i < n.children.size(); ++i) {
    if (i) *out += ",";
    if (!n.is_array) *out += Quote(n.children[i].key) + ":";
    Json(n.children[i], out);
  }
  *out += n.is_array ? "]" : "}";
}

}  // namespace

std::string RenderText(const Node& node) {
  std::string out;
  Text(node, 0, &out);
  return out;
}

std::string RenderJson(const Node& node) {
  std::string out;
  Json(node, &out);
  return out + "\n";
}

}  // namespace brae::cli
