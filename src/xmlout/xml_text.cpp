#include "xmlout/xml_text.h"

#include "platform/codepage.h"

namespace zx {
namespace {

// The first occurrence of `needle` at or after `from` that starts on a character: the
// second byte of a two-byte character never opens a match.
size_t findText(std::string_view text, std::string_view needle, size_t from = 0) {
  for (size_t at = from; at < text.size() && text.size() - at >= needle.size();) {
    if (text.compare(at, needle.size(), needle) == 0) return at;
    at += platform::isLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1;
  }
  return std::string_view::npos;
}

// A position that exists and is not the very first: how every step below tests its finds.
bool foundAfterStart(size_t position) { return position != std::string_view::npos && position > 0; }

}  // namespace

std::string withEucKrDeclaration(std::string text) {
  for (size_t at = findText(text, kPlainXmlDeclaration); at != std::string::npos;
       at = findText(text, kPlainXmlDeclaration, at + kEucKrXmlDeclaration.size()))
    text.replace(at, kPlainXmlDeclaration.size(), kEucKrXmlDeclaration);
  return text;
}

std::optional<std::string> retargetStyleSheet(std::string_view text, std::string_view stylesheet) {
  const size_t instruction = findText(text, "<?xml-stylesheet ");
  if (!foundAfterStart(instruction) || instruction + 2 > text.size()) return std::nullopt;
  const size_t href = findText(text, "href=", instruction + 2);
  if (!foundAfterStart(href)) return std::nullopt;
  const size_t end = findText(text, "?>", href + 5);
  if (!foundAfterStart(end)) return std::nullopt;
  const size_t slash = platform::ansiFindLast(text.substr(0, end), '/');
  if (!foundAfterStart(slash)) return std::nullopt;

  std::string retargeted(text.substr(0, slash + 1));
  retargeted += stylesheet;
  retargeted += '"';
  retargeted += text.substr(end);
  return retargeted;
}

}  // namespace zx
