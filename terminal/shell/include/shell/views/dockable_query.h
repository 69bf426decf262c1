// A query dock's content: the form view that the dock's caption names, made
// by the view modules' factories and filling the dock's client area; an
// empty pane for a caption that names no view.
#pragma once

#include <QWidget>
#include <string>

#include "ui/view_context.h"
#include "ui/view_factories.h"

namespace shell {

class CTqDockableQuery : public QWidget {
 public:
  // `factories` may be null: no view.
  CTqDockableQuery(const std::string& caption, const ui::ViewFactories* factories, const ui::ViewContext& context);

  const std::string& Caption() const { return caption_; }
  // The form view; null when the caption names none.
  QWidget* View() const { return view_; }

 private:
  std::string caption_;
  QWidget* view_ = nullptr;
};

}  // namespace shell
