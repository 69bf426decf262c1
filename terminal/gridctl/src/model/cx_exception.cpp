#include "gridctl/model/cx_exception.h"

#include <cstring>
#include <string_view>

#include "platform/gbk.h"

namespace gridctl {

CxException::CxException(const char* text) noexcept {
  if (text == nullptr) return;
  const std::string_view message(text);
  const std::size_t length = platform::GbkFitLength(message, kMessageSize - 1);
  std::memcpy(message_, message.data(), length);
}

}  // namespace gridctl
