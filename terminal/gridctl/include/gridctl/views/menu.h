// The grid library's own menus. CxMenu is a window holding a fixed-capacity
// table of items; CxPopupMenu is the pop-up: it sizes itself to its items,
// takes the mouse, highlights the item under the cursor, opens sub-menus to
// the right of their item, toggles check items, and sends the chosen item
// to its owner as a command event (the item id, with the menu's identifier
// as the code; kMenuCancelled when nothing was chosen). Sub-menus pass the
// mouse and their commands up, so the root menu reports and closes the
// whole chain.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string_view>

#include "gridctl/model/menu_items.h"

namespace gridctl {

class CxPopupMenu;

class CxMenu : public QWidget, public MenuNode {
 public:
  explicit CxMenu(QWidget* parent = nullptr);
  ~CxMenu() override;

  // Takes the identifier, makes the item table and remembers the parent
  // object: a CxMenu parent receives this menu's mouse and commands, any
  // other its commands. False without a parent or for a negative capacity.
  virtual bool Create(int identifier, int capacity, QWidget* parentObject);
  // False without a table or when it is full.
  virtual bool InsertItem(int position, std::string_view text, std::uint16_t id, int kind,
                          std::unique_ptr<CxMenu> subMenu = nullptr);
  virtual bool AppendItem(std::string_view text, std::uint16_t id, int kind, std::unique_ptr<CxMenu> subMenu = nullptr);
  virtual bool RemoveItem(std::uint16_t id);
  // The cursor at a screen point; a sub-menu passes it to its parent menu.
  virtual int OnMouseOver(QPoint global);
  // Sends the parent object the command.
  virtual void OnItemCommand(int identifier, int itemId);

  // The identifier its commands carry.
  void SetIdentifier(int identifier);
  const MenuItemTable* Table() const { return table_ ? &*table_ : nullptr; }
  CxMenu* ParentMenu() const;
  QWidget* ParentObject() const { return parentObject_; }

 protected:
  CxMenu(QWidget* parent, Qt::WindowFlags flags, MenuMargins margins);
  void paintEvent(QPaintEvent* event) override;
  virtual void DrawItems(QPainter&) {}

  std::optional<MenuItemTable> table_;
  MenuMargins margins_;
  FontSpec font_{"宋体", 13};
  std::uint32_t background_ = 0xFFFFFF;
  std::uint32_t textColour_ = 0x000000;
  std::uint32_t highlightedText_ = 0xFFFFFF;
  std::uint32_t highlightedBackground_ = 0x7F0000;
  QPoint lastPopup_{-1, -1};

 private:
  QWidget* parentObject_ = nullptr;
};

class CxPopupMenu : public CxMenu {
 public:
  explicit CxPopupMenu(QWidget* parent = nullptr);

  // Shows the menu with its top left corner at the screen point, sized to
  // its items, nothing highlighted; nothing when it is already shown.
  void Popup(QPoint global);
  // Closes the open sub-menus and the menu, without a command.
  void CloseMenu();

  int OnMouseOver(QPoint global) override;
  void OnItemCommand(int identifier, int itemId) override;

  int Highlighted() const { return table_ ? table_->Highlighted() : -1; }
  // The highlighted item's sub-menu when it is shown, else null.
  CxPopupMenu* OpenSubMenu() const;
  QRect ItemRect(int index) const;

 protected:
  void DrawItems(QPainter& painter) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // A menu closed by anyone else (the toolkit, losing the mouse) cancels
  // itself.
  void hideEvent(QHideEvent* event) override;

 private:
  void DrawItem(QPainter& painter, int index, bool highlighted) const;
  void Highlight(int index);
  void Unhighlight();

  bool closing_ = false;
};

}  // namespace gridctl
