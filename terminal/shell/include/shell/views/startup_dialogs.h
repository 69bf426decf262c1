// The dialogs between the login and the main window: the customer's login
// information with the important notices (dialog 159) and the settlement
// statement to confirm (dialog 158), shown in a fixed-pitch font so that its
// columns line up.
#pragma once

#include <string>
#include <vector>

#include "shell/settlement.h"
#include "ui/dialog_base.h"

namespace shell {

class CustomerInfoDialog : public ui::BaseDialog {
 public:
  CustomerInfoDialog(QWidget* parent, const CustomerInformation& texts);
};

class StatementDialog : public ui::BaseDialog {
 public:
  StatementDialog(QWidget* parent, const std::vector<std::string>& lines);
};

}  // namespace shell
