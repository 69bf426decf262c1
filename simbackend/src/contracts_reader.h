// The exchanges, varieties and contracts of contracts.txt.
#pragma once

#include <string>

#include "simbackend/backend_data.h"

namespace simbackend {

// Fills the exchanges, varieties and contracts of `data` from the file; an
// option series is expanded into a call and a put at each strike around its
// underlying's price, priced by the option model. False with the file, line
// and fault in `error`.
bool ReadContracts(const std::string& path, BackendData& data, std::string& error);

}  // namespace simbackend
