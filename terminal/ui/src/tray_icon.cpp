#include "ui/tray_icon.h"

#include <QApplication>
#include <QStyle>

#include "platform/gbk.h"
#include "ui/gbk_text.h"

namespace ui {

TrayIcon::TrayIcon(QMenu* menu, std::function<void()> restore) {
  icon_.setIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
  icon_.setContextMenu(menu);
  QObject::connect(&icon_, &QSystemTrayIcon::activated, [restore](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick && restore) restore();
  });
}

bool TrayIcon::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TrayIcon::Add(const std::string& tip) {
  icon_.setToolTip(FromGbk(std::string_view(tip).substr(0, platform::GbkFitLength(tip, 127))));
  if (Available()) icon_.show();
  added_ = true;
}

void TrayIcon::Remove() {
  icon_.hide();
  added_ = false;
}

std::string TrayIcon::Tip() const { return ToGbk(icon_.toolTip()); }

}  // namespace ui
