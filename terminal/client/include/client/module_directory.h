// The folder of the running program, for callers that build paths in a
// character buffer.
#pragma once

#include <cstddef>

namespace client {

// Writes the program's folder (without a closing separator) into `buffer` of
// `size` bytes, cut on a character boundary to fit and always terminated,
// and returns the length written. 0, with nothing written, for a null buffer
// or a size of 0.
std::size_t GetModuleDirectory(char* buffer, std::size_t size);

}  // namespace client
