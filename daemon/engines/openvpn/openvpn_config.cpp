#include "daemon/engines/openvpn/openvpn_config.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "daemon/engines/config_refusal.h"
#include "daemon/engines/openvpn/openvpn_directive_rule.h"
#include "daemon/engines/openvpn/openvpn_tokens.h"

namespace corvane::daemon::engines::openvpn {
namespace {

// openvpn reads a configuration in pieces of 256 bytes (OPTION_LINE_SIZE): a longer line
// would be read as two, and the second piece could close an inline block early and turn the
// rest of a certificate into directives. Lines are kept well below that.
constexpr std::size_t kMaxLine = 250;
constexpr std::size_t kMaxLines = 8000;

Error atLine(int number, const std::string& what) {
  return configRefused("line " + std::to_string(number) + ": " + what);
}

bool isNumber(std::string_view word) {
  return !word.empty() && word.size() <= 10 &&
         std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint16_t> portOf(std::string_view word) {
  unsigned value = 0;
  if (!isNumber(word)) return std::nullopt;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (ec != std::errc() || end != word.data() + word.size() || value == 0 || value > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

bool isHost(std::string_view word) {
  return !word.empty() && word.size() <= 253 && word.front() != '-' &&
         std::all_of(word.begin(), word.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                  c == '-' || c == ':';
         });
}

std::string foldProto(std::string_view proto) { return proto.starts_with("tcp") ? "tcp" : "udp"; }

bool inChoices(std::string_view choices, std::string_view word) {
  std::size_t at = 0;
  while (at <= choices.size()) {
    std::size_t end = choices.find(' ', at);
    if (end == std::string_view::npos) end = choices.size();
    if (choices.substr(at, end - at) == word) return true;
    at = end + 1;
  }
  return false;
}

// Control bytes other than tab make openvpn and this reader disagree about words and lines.
bool hasControlByte(std::string_view line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7f;
  });
}

std::optional<std::string> checkWords(const OpenVpnDirectiveRule& rule, const std::vector<std::string>& words) {
  const int args = static_cast<int>(words.size()) - 1;
  if (args < rule.minArgs || args > rule.maxArgs) {
    return "'" + words[0] + "' takes " + std::to_string(rule.minArgs) + " to " + std::to_string(rule.maxArgs) +
           " values, not " + std::to_string(args);
  }
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (rule.kind == ArgKind::number && !isNumber(word)) return "'" + words[0] + "' needs a number, not " + excerpt(word);
    if (rule.kind == ArgKind::choice && !inChoices(rule.choices, word)) {
      return "'" + words[0] + "' does not accept " + excerpt(word);
    }
    if (word.empty()) return "'" + words[0] + "' has an empty value";
  }
  return std::nullopt;
}

// A 'remote' line as read, with the port and protocol its <connection> block sets, if any
// (else the profile's own, wherever they appear).
struct RawRemote {
  std::vector<std::string> words;
  int number = 0;
  std::optional<std::uint16_t> port;
  std::optional<std::string> proto;
};

// What openvpn accepts inside a <connection> block that the allowlist accepts at all: how to
// reach one server, nothing else.
constexpr std::string_view kConnectionDirectives =
    "remote proto port rport nobind connect-retry connect-timeout explicit-exit-notify float tun-mtu "
    "link-mtu mssfix";

struct ConnectionReader {
  int start = 0;
  std::vector<std::vector<std::string>> directives;
  std::optional<RawRemote> remote;
  std::optional<std::uint16_t> port;
  std::optional<std::string> proto;
};

struct Reader {
  OpenVpnConfig config;
  std::optional<std::uint16_t> defaultPort;
  std::string defaultProto = "udp";
  bool wantsCredentialBlock = false;
  int credentialLine = 0;
  std::vector<RawRemote> rawRemotes;
  std::optional<ConnectionReader> connection;  // inside a <connection> block
};

Result<void> readDirective(Reader& reader, std::vector<std::string> words, int number) {
  const std::string& name = words[0];
  const OpenVpnDirectiveRule* rule = findDirectiveRule(name);
  if (rule == nullptr) {
    if (auto reason = refusalReason(name)) return atLine(number, "'" + name + "' " + std::string(*reason));
    return atLine(number, excerpt(name) + " is not an accepted directive");
  }
  if (name == "auth-user-pass" && words.size() > 1) {
    return atLine(number, "'auth-user-pass' names a file on this machine; give its content as an inline block");
  }
  if (auto problem = checkWords(*rule, words)) return atLine(number, *problem);
  if (name == "proto") reader.defaultProto = foldProto(words[1]);
  if (name == "port" || name == "rport") {
    auto port = portOf(words[1]);
    if (!port) return atLine(number, "'" + name + "' needs a port from 1 to 65535, not " + excerpt(words[1]));
    reader.defaultPort = *port;
  }
  if (name == "remote") reader.rawRemotes.push_back(RawRemote{words, number, std::nullopt, std::nullopt});
  if (name == "auth-user-pass") {
    reader.wantsCredentialBlock = true;
    reader.credentialLine = number;
    return {};  // the inline block carries the credentials; the bare line would ask a console
  }
  std::size_t rendered = 0;
  for (const auto& word : words) rendered += renderOpenVpnWord(word).size() + 1;
  if (rendered > kMaxLine) return atLine(number, "longer than 250 characters once written out");
  if (rule->disposition == Disposition::keep) reader.config.directives.push_back(std::move(words));
  return {};
}

// One line inside a <connection> block: the allowlist's own check, then the block's list.
Result<void> readConnectionLine(ConnectionReader& block, std::vector<std::string> words, int number) {
  const std::string& name = words[0];
  const OpenVpnDirectiveRule* rule = findDirectiveRule(name);
  if (rule == nullptr || !inChoices(kConnectionDirectives, name)) {
    if (auto reason = refusalReason(name)) return atLine(number, "'" + name + "' " + std::string(*reason));
    return atLine(number, excerpt(name) + " is not accepted inside <connection>");
  }
  if (auto problem = checkWords(*rule, words)) return atLine(number, *problem);
  std::size_t rendered = 0;
  for (const auto& word : words) rendered += renderOpenVpnWord(word).size() + 1;
  if (rendered > kMaxLine) return atLine(number, "longer than 250 characters once written out");
  if (name == "proto") block.proto = foldProto(words[1]);
  if (name == "port" || name == "rport") {
    auto port = portOf(words[1]);
    if (!port) return atLine(number, "'" + name + "' needs a port from 1 to 65535, not " + excerpt(words[1]));
    block.port = *port;
  }
  if (name == "remote") {
    if (block.remote) return atLine(number, "a second 'remote' in the <connection> block of line " + std::to_string(block.start));
    block.remote = RawRemote{words, number, std::nullopt, std::nullopt};
  }
  block.directives.push_back(std::move(words));
  return {};
}

Result<void> closeConnection(Reader& reader, int number) {
  auto& block = *reader.connection;
  if (!block.remote) return atLine(number, "the <connection> block of line " + std::to_string(block.start) + " names no 'remote'");
  block.remote->port = block.port;
  block.remote->proto = block.proto;
  reader.rawRemotes.push_back(std::move(*block.remote));
  reader.config.connections.push_back(std::move(block.directives));
  reader.connection.reset();
  return {};
}

Result<void> resolveRemotes(Reader& reader) {
  for (const auto& raw : reader.rawRemotes) {
    const auto& words = raw.words;
    const int number = raw.number;
    OpenVpnRemote remote;
    if (!isHost(words[1])) return atLine(number, "'remote' needs a host name or address, not " + excerpt(words[1]));
    remote.host = words[1];
    remote.port = raw.port.value_or(reader.defaultPort.value_or(1194));
    remote.proto = raw.proto.value_or(reader.defaultProto);
    if (words.size() > 2) {
      auto port = portOf(words[2]);
      if (!port) return atLine(number, "'remote' needs a port from 1 to 65535, not " + excerpt(words[2]));
      remote.port = *port;
    }
    if (words.size() > 3) {
      constexpr std::string_view kProtos = "udp udp4 udp6 tcp tcp4 tcp6 tcp-client tcp4-client tcp6-client";
      if (!inChoices(kProtos, words[3])) return atLine(number, "'remote' does not accept protocol " + excerpt(words[3]));
      remote.proto = foldProto(words[3]);
    }
    reader.config.remotes.push_back(std::move(remote));
  }
  return {};
}

}  // namespace

bool OpenVpnConfig::hasBlock(std::string_view tag) const {
  return std::any_of(blocks.begin(), blocks.end(), [&](const auto& block) { return block.first == tag; });
}

namespace {

void renderDirectives(const std::vector<std::vector<std::string>>& directives, std::string& out) {
  for (const auto& words : directives) {
    for (std::size_t i = 0; i < words.size(); ++i) {
      if (i > 0) out += ' ';
      out += renderOpenVpnWord(words[i]);
    }
    out += '\n';
  }
}

}  // namespace

std::string OpenVpnConfig::render() const {
  std::string out;
  renderDirectives(directives, out);
  for (const auto& connection : connections) {
    out += "<connection>\n";
    renderDirectives(connection, out);
    out += "</connection>\n";
  }
  for (const auto& [tag, content] : blocks) out += "<" + tag + ">\n" + content + "</" + tag + ">\n";
  return out;
}

Result<OpenVpnConfig> parseOpenVpnConfig(std::string_view text, bool accountSaved) {
  if (text.size() > kMaxOpenVpnConfigBytes) {
    return configRefused("the profile is " + std::to_string(text.size()) + " bytes; at most " +
                         std::to_string(kMaxOpenVpnConfigBytes) + " are accepted");
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Reader reader;
  std::string openTag;   // inside an inline block when not empty
  std::string blockContent;
  int blockStart = 0;
  int number = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (++number > static_cast<int>(kMaxLines)) return atLine(number, "too many lines");
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.size() > kMaxLine) return atLine(number, "longer than 250 characters");
    if (hasControlByte(line)) return atLine(number, "a control character in " + excerpt(line));

    if (!openTag.empty()) {
      std::string_view trimmed = line;
      while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t')) trimmed.remove_prefix(1);
      while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t')) trimmed.remove_suffix(1);
      if (trimmed == "</" + openTag + ">") {
        reader.config.blocks.emplace_back(openTag, blockContent);
        openTag.clear();
        blockContent.clear();
        continue;
      }
      // Certificates and keys never hold '<' or '>'; openvpn would end a block at any line
      // beginning with its closing tag, so such lines are refused rather than guessed at.
      if (line.find_first_of("<>") != std::string_view::npos) {
        return atLine(number, "unexpected " + excerpt(line) + " inside <" + openTag + ">");
      }
      if (std::any_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        return atLine(number, "non-ASCII text inside <" + openTag + ">");
      }
      blockContent.append(line).push_back('\n');
      continue;
    }

    auto words = tokenizeOpenVpnLine(line, number);
    if (!words) return words.error();
    if (words->empty()) continue;
    const std::string& first = words->front();
    if (reader.connection && words->size() == 1 && first == "</connection>") {
      if (auto closed = closeConnection(reader, number); !closed) return closed.error();
      continue;
    }
    if (first.starts_with('<')) {
      if (words->size() != 1 || first.size() < 3 || first.back() != '>' || first[1] == '/') {
        return atLine(number, "malformed inline block tag " + excerpt(line));
      }
      std::string tag = first.substr(1, first.size() - 2);
      if (tag == "connection") {
        if (reader.connection) return atLine(number, "a <connection> block inside another");
        reader.connection.emplace().start = number;
        continue;
      }
      if (reader.connection) return atLine(number, "inline block " + excerpt(first) + " inside <connection>");
      if (!isAllowedInlineBlock(tag)) return atLine(number, "inline block " + excerpt(first) + " is not accepted");
      if (reader.config.hasBlock(tag)) return atLine(number, "a second <" + tag + "> block");
      openTag = std::move(tag);
      blockStart = number;
      continue;
    }
    if (reader.connection) {
      if (auto read = readConnectionLine(*reader.connection, std::move(*words), number); !read) return read.error();
      continue;
    }
    if (auto read = readDirective(reader, std::move(*words), number); !read) return read.error();
  }
  if (!openTag.empty()) return atLine(blockStart, "<" + openTag + "> is never closed");
  if (reader.connection) return atLine(reader.connection->start, "<connection> is never closed");
  if (auto resolved = resolveRemotes(reader); !resolved) return resolved.error();
  if (reader.config.remotes.empty()) return configRefused("the profile names no server: no 'remote' line");
  if (reader.wantsCredentialBlock && !reader.config.hasBlock("auth-user-pass")) {
    if (!accountSaved) {
      return atLine(reader.credentialLine,
                    "'auth-user-pass' would ask for credentials on a console; give them as an inline "
                    "<auth-user-pass> block, or save a user name and password with the manager");
    }
    reader.config.wantsAccount = true;
  }
  return std::move(reader.config);
}

}  // namespace corvane::daemon::engines::openvpn
