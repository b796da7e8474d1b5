#pragma once
// Edits of a serialised document as the control's 8-bit text: the declaration that names
// the file's encoding, and the style-sheet instruction pointed at another style sheet.
#include <optional>
#include <string>
#include <string_view>

namespace zx {

inline constexpr std::string_view kPlainXmlDeclaration = "<?xml version=\"1.0\"?>";
inline constexpr std::string_view kEucKrXmlDeclaration = "<?xml version=\"1.0\" encoding=\"euc-kr\"?>";

// Every plain declaration replaced by the one naming euc-kr; other declarations stay.
std::string withEucKrDeclaration(std::string text);

// The text with the file name at the end of the style-sheet instruction's path replaced by
// `stylesheet`, or nullopt when the text has no instruction of the expected shape (an
// instruction at the very start, no href, no end, no '/' before the end).
std::optional<std::string> retargetStyleSheet(std::string_view text, std::string_view stylesheet);

}  // namespace zx
