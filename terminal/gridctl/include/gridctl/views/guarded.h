// The toolkit's event loop must not be left by an exception: a window of
// the grid library runs its event handlers through Guarded, and a failure
// (the grid store's exception, memory running out, or one thrown by an
// owner's handler of a notification) is written to the program log as a
// failure line instead.
#pragma once

#include <exception>

#include "backend/program_log.h"

namespace gridctl {

// `handler`'s answer, or `failed` when it threw.
template <class Handler, class Answer>
Answer Guarded(Handler&& handler, Answer failed) {
  try {
    return handler();
  } catch (const std::exception& error) {
    backend::WriteLogLine(1, error.what());
  } catch (...) {
    backend::WriteLogLine(1, "表格窗口的事件处理失败。");
  }
  return failed;
}

}  // namespace gridctl
