#include "ui/command_ids.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandIds, LargeCommandsGetStableToolkitIdsAndMapBack) {
  for (const int command : {32837, 57665, 59393}) {
    const int id = ui::ToolkitId(command);
    EXPECT_LT(id, 0x7FFF);
    EXPECT_EQ(ui::ToolkitId(command), id);
    EXPECT_EQ(ui::CommandOf(id), command);
  }
  EXPECT_NE(ui::ToolkitId(32837), ui::ToolkitId(32838));
  EXPECT_EQ(ui::ToolkitId(1236), 1236);
  EXPECT_EQ(ui::CommandOf(1236), 1236);
}

}  // namespace
