// Notices for the customer: the important notices of the account on slot 0
// and a customer's bulletins. Each runs synchronously through the engine on
// the GUI thread and returns false with the reason in `message`.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace client {

// Appends every notice row's text (field 4, trimmed), each followed by
// "\r\n", to `notices`, which is emptied first (function 5491).
bool QueryImportantNotices(std::string& notices, std::string& message);

// One bulletin. The short members hold at most their width - 1 bytes (cut on
// a character boundary); the text is whole.
struct BulletinRecord {
  static constexpr std::size_t kLevelWidth = 10;
  static constexpr std::size_t kDateWidth = 9;
  static constexpr std::size_t kTimeWidth = 9;
  static constexpr std::size_t kCarriedWidth = 10;

  std::string level{};     // the notice level code
  std::string sendDate{};  // "YYYYMMDD"
  std::string sendTime{};
  std::string field10{};  // carried as the back end sends it
  std::string field11{};  // carried as the back end sends it
  std::string text{};
};

// The customer's bulletins of the level (empty: every level) sent from
// `firstDate` to `lastDate` ("YYYYMMDD" each), function 5017: one bulletin
// per answer row, appended to `bulletins`.
bool QueryBulletins(std::string_view customerNo, std::string_view level, std::string_view firstDate,
                    std::string_view lastDate, std::vector<BulletinRecord>& bulletins, std::string& message);

}  // namespace client
