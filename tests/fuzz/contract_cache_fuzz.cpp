// The contract cache file read from arbitrary bytes: a file reads only when
// it is exactly what the writer makes of its lines, and whatever lines the
// writer takes read back unchanged.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "backend/cx_data_set.h"
#include "engine/answer_fields.h"
#include "engine/contract_cache.h"
#include "fuzz_support.h"

namespace {

// The key the seed files were written for.
constexpr engine::ContractCacheKey kKey{"20261210", "SIM-CONTRACTS-7"};

bool SameLines(const backend::CxDataSet& a, const backend::CxDataSet& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (std::uint32_t index = 0; index < a.GetCount(); ++index) {
    if (engine::AnswerLineAt(a.View(), index) != engine::AnswerLineAt(b.View(), index)) return false;
  }
  return true;
}

// The bytes cut at each line feed into the lines of an answer.
backend::CxDataSet LinesOf(std::string_view bytes) {
  backend::CxDataSet lines;
  for (std::size_t end = bytes.find('\n'); end != std::string_view::npos; end = bytes.find('\n')) {
    lines.AddText(bytes.substr(0, end));
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<backend::CxDataSet> read = engine::DecodeContractCache(bytes, kKey);
  if (read) {
    fuzz::Check(engine::EncodeContractCache(kKey, read->View()) == bytes, "a file reads only as written");
  }

  const std::string path = fuzz::TemporaryPath("ContractTable.dat");
  fuzz::WriteFile(path, bytes);
  const std::optional<backend::CxDataSet> fromFile = engine::ReadContractCache(path, kKey);
  fuzz::Check(fromFile.has_value() == read.has_value() && (!read || SameLines(*fromFile, *read)),
              "the file reads as its bytes");

  const backend::CxDataSet lines = LinesOf(bytes);
  const std::optional<std::string> written = engine::EncodeContractCache(kKey, lines.View());
  if (written) {
    const std::optional<backend::CxDataSet> again = engine::DecodeContractCache(*written, kKey);
    fuzz::Check(again && SameLines(*again, lines), "written lines read back");
  }
  return 0;
}
