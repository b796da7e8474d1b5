#include "transfer/mac_address.h"

#include <cstdio>

#include "core/messages.h"
#include "platform/adapters.h"
#include "platform/codepage.h"

namespace zx {

namespace adapters = platform::adapters;
namespace mb = platform::mb;

namespace {

constexpr std::uint32_t kAdapterBlock = 32768;

std::string errorText(std::uint32_t code) {
  switch (code) {
    case adapters::kErrorNotSupported: return "ERROR: NOT_SUPPORTED";
    case adapters::kErrorInvalidParameter: return "ERROR: INVALID_PARAMETER";
    case adapters::kErrorBufferOverflow: return "ERROR: BUFFER_OVERFLOW";
    case adapters::kErrorNoData: return "ERROR: NO_DATA";
    default: return "ERROR: " + std::to_string(code);
  }
}

std::string addressText(const std::vector<adapters::AdapterInfo>& list) {
  std::string text;
  for (size_t i = 0; i < list.size(); ++i) {
    if (i > 0) text += ':';
    for (std::uint32_t b = 0; b < list[i].addressLength && b < sizeof list[i].address; ++b) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", list[i].address[b]);
      text += hex;
    }
  }
  return text;
}

}  // namespace

std::string getMACAddr(const platform::Env& env, std::string_view showMsg) {
  bool silent = showMsg == "0";
  auto library = env.adapters.load(adapters::kLibraryName);
  if (!library) {
    showErrorBox(env.ui, platform::Owner::Control, ansi("모듈로딩"), ansi("%s 을 찾을 수 없습니다.").c_str(),
                 adapters::kLibraryName);
    return {};
  }
  if (!library->hasFunction(adapters::kFunctionName)) {
    if (!silent)
      showErrorBox(env.ui, platform::Owner::Control, ansi("모듈로딩"),
                   ansi("%s 에서 함수 GetAdaptersInfo()을 찾을 수 없습니다.").c_str(), adapters::kLibraryName);
    return {};
  }
  std::vector<adapters::AdapterInfo> list;
  std::uint32_t code = library->getAdaptersInfo(list, kAdapterBlock);
  if (code == adapters::kNoError) return addressText(list);
  if (!silent) controlBox(env.ui, errorText(code), ansi("정보읽기"), mb::MB_TASKMODAL | mb::MB_OK);
  return {};
}

}  // namespace zx
