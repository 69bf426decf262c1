#include "order_task.h"

#include <utility>

#include "platform/gbk.h"

namespace order_module {

void TaskMessages::Add(std::string_view text) { list_.AddText(text); }

OrderTask::OrderTask(TaskCaller caller) : caller_(std::move(caller)) {
  caller_.prompt.resize(platform::GbkFitLength(caller_.prompt, TaskCaller::kPromptLength));
}

}  // namespace order_module
