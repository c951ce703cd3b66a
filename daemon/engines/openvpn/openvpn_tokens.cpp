#include "daemon/engines/openvpn/openvpn_tokens.h"

#include "daemon/engines/config_refusal.h"

namespace corvane::daemon::engines::openvpn {
namespace {

// openvpn accepts at most 16 words on a line (MAX_PARMS); more is a malformed line.
constexpr std::size_t kMaxWords = 16;

bool isSpace(char c) { return c == ' ' || c == '\t'; }

bool isPlain(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("._:/@+=,%!-").find(c) != std::string_view::npos;
}

Error lineError(int lineNumber, const std::string& what) {
  return configRefused("line " + std::to_string(lineNumber) + ": " + what);
}

}  // namespace

Result<std::vector<std::string>> tokenizeOpenVpnLine(std::string_view line, int lineNumber) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (isSpace(c)) {
      ++i;
      continue;
    }
    if (c == '#' || c == ';') break;  // a comment runs to the end of the line
    std::string word;
    bool started = false;
    while (i < line.size() && !isSpace(line[i])) {
      const char d = line[i];
      if (d == '\\') return lineError(lineNumber, "a backslash is not accepted in " + excerpt(line));
      if (d == '"' || d == '\'') {
        const std::size_t close = line.find(d, i + 1);
        if (close == std::string_view::npos) return lineError(lineNumber, "unterminated quote in " + excerpt(line));
        const std::string_view inner = line.substr(i + 1, close - i - 1);
        if (inner.find_first_of("\\\"'") != std::string_view::npos) {
          return lineError(lineNumber, "a quote or backslash inside a quoted value in " + excerpt(line));
        }
        word += inner;
        i = close + 1;
        started = true;
        continue;
      }
      word += d;
      ++i;
      started = true;
    }
    if (started) words.push_back(std::move(word));
    if (words.size() > kMaxWords) return lineError(lineNumber, "more than 16 words in " + excerpt(line));
  }
  if (!words.empty() && words[0].starts_with("--")) words[0].erase(0, 2);
  return words;
}

std::string renderOpenVpnWord(std::string_view word) {
  bool plain = !word.empty();
  for (char c : word) plain = plain && isPlain(c);
  // A word that would read as a comment or an inline tag is quoted as well.
  if (plain && word.front() != '#' && word.front() != ';' && word.front() != '<') return std::string(word);
  return "\"" + std::string(word) + "\"";
}

}  // namespace corvane::daemon::engines::openvpn
