// What the built contract groups are made of: the exchanges that have groups
// and the contracts of the engine's tables, and the groups built from them
// at each load of the groups.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "quotes/contract_group.h"
#include "quotes/contract_key.h"

namespace engine {
class COperationEngine;
}

namespace quotes {

// An exchange seat of the engine and the groups its flags give its exchange.
struct GroupExchange {
  std::string name;               // GBK: the groups' name, as the contracts name their exchange
  bool contractGroups = false;    // a futures group and an option group
  bool combinationGroup = false;  // a group of combination contracts
};

// A contract of the engine's tables, named by the exchange it belongs to.
struct GroupContract {
  std::string exchangeName;
  ContractKey key;
  bool option = false;
};

struct GroupTables {
  std::vector<GroupExchange> exchanges;
  std::vector<GroupContract> contracts;     // futures and options, in table order
  std::vector<GroupContract> combinations;  // in table order
};

// The exchange seats, contracts and combination contracts of the engine;
// empty while the engine reconnects or downloads.
GroupTables ReadGroupTables(engine::COperationEngine& engine);

// The built groups of each kind, in the order of the exchanges: for an
// exchange with contract groups its futures (kind 0) and its options
// (kind 2), for one with a combination group its combinations (kind 1).
// An exchange listed again (a second seat) adds no second group.
std::array<std::vector<ContractGroup>, kGroupKinds> BuildGroups(const GroupTables& tables);

}  // namespace quotes
