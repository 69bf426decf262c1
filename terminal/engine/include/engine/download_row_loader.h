// The rows of a long download answer loaded one data line at a time, so
// that they can go into the tables as the transport receives them: room
// made for the rows the answer announces, every data line, then the end of
// the answer. Each step takes the engine lock itself.
#pragma once

#include <cstddef>
#include <functional>

#include "backend/cx_data_set.h"
#include "engine/answer_fields.h"

namespace engine {

struct DownloadRowLoader {
  std::function<void(std::size_t rows)> reserve;
  std::function<void(const LineFields& line)> line;
  std::function<void()> end;  // null when the answer needs no end
};

// Loads the data lines an answer holds (none when its rows went to the
// loader as they came in), then ends it.
void LoadAnswer(const DownloadRowLoader& loader, const backend::CxDataSetView& answer);

}  // namespace engine
