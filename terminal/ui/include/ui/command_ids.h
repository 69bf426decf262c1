// Command ids as the terminal numbers them (menu items 32817 to 57665) and
// as the toolkit takes them (menu ids must lie below 0x7FFF): ids from
// 0x7FFF up get a toolkit id of their own, the same one for the life of the
// process; smaller ids stay as they are.
#pragma once

namespace ui {

int ToolkitId(int commandId);
// The command of a toolkit id; the id itself when none was mapped to it.
int CommandOf(int toolkitId);

}  // namespace ui
