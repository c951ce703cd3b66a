#pragma once
// Splits one line of an OpenVPN configuration into its words the way openvpn itself reads a
// configuration file: whitespace separates words, '#' or ';' at the start of a word begins a
// comment, double quotes group words, single quotes group words literally, and a leading "--"
// on the directive is dropped. Anything the service would later have to re-quote ambiguously
// (a backslash or a quote character inside a value) is refused rather than interpreted, so the
// text openvpn reads is exactly the text that was checked.
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/result.h"

namespace corvane::daemon::engines::openvpn {

// An empty list for a blank or comment line. The error names the line number.
Result<std::vector<std::string>> tokenizeOpenVpnLine(std::string_view line, int lineNumber);

// One word as openvpn will read it back: bare when it is plain, otherwise in double quotes.
std::string renderOpenVpnWord(std::string_view word);

}  // namespace corvane::daemon::engines::openvpn
