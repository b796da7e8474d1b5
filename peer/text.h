#pragma once
// Small text helpers of the document server: form decoding, hex, Base64 and code page 949.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zxpeer {

using FormFields = std::vector<std::pair<std::string, std::string>>;

// "%XX" escapes and '+' as a space, as HTML forms write them.
std::string urlDecode(std::string_view text);
// "a=1&b=2" into its decoded pairs, in order.
FormFields parseForm(std::string_view text);
// The value of the first field with this name, or `fallback`.
std::string fieldOr(const FormFields& fields, std::string_view name, std::string_view fallback = {});
bool hasField(const FormFields& fields, std::string_view name);

std::string toHex(std::string_view bytes);
std::string base64Encode(std::string_view bytes);
// Characters outside the Base64 alphabet are skipped.
std::string base64Decode(std::string_view text);

bool isValidUtf8(std::string_view text);
// Names arrive in UTF-8 or in the control's code page 949; answers UTF-8.
std::string toUtf8Name(std::string_view bytes);

bool startsWith(std::string_view text, std::string_view prefix);

}  // namespace zxpeer
