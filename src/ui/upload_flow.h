#pragma once
// The body of the upload method: file choice, payload preparation and the exchange.
#include <cstdint>
#include <string>

namespace zx {

class CZorvAXCtrl;

std::int32_t uploadFlow(CZorvAXCtrl& control, const std::string& userId, const std::string& compressed,
                        const std::string& ciphered);

}  // namespace zx
