// The quote push (15001) read from arbitrary lines: no read past the line,
// and the texts of the record always terminated.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "backend/quote_record.h"
#include "client/quote_push.h"
#include "fuzz_support.h"

namespace {

template <std::size_t Size>
bool Terminated(const char (&text)[Size]) {
  return std::memchr(text, '\0', Size) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly the input's size, so that a read past the line's end
  // reaches no byte of the fuzzer's.
  const std::vector<char> bytes(data, data + size);
  backend::QuoteRecord quote;
  fuzz::Check(client::ParseQuotePush(std::string_view(bytes.data(), bytes.size()), quote),
              "the quote push always reads");
  fuzz::Check(Terminated(quote.szExchange) && Terminated(quote.szCode) && Terminated(quote.szName),
              "the texts of a quote are terminated");
  return 0;
}
