// "系统设置": the hide hot key and the alert sounds.
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QRegion>
#include <QToolButton>
#include <QVBoxLayout>

#include "shell/views/settings_pages.h"
#include "ui/gbk_text.h"
#include "ui/registry_store.h"
#include "ui/sound_service.h"

namespace shell {
namespace {

constexpr const char* kSystemGridState = "StateSysSetSysParam";
constexpr int kPathColumn = 1;
constexpr int kListenColumn = 2;

// The browse button at the right end of a path cell. Only the button takes
// the mouse: the rest of the cell stays the grid's, to select and edit.
class BrowseButtonCell : public QWidget {
 public:
  BrowseButtonCell(QWidget* parent, std::function<void()> browse) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    button_ = new QToolButton(this);
    button_->setText("...");
    button_->setObjectName("browse");
    layout->addWidget(button_);
    connect(button_, &QToolButton::clicked, this, std::move(browse));
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    layout()->activate();
    setMask(QRegion(button_->geometry()));
  }

 private:
  QToolButton* button_;
};

}  // namespace

int VirtualKeyOfQtKey(int key) {
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
  }
}

HotKeyField::HotKeyField(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  setContextMenuPolicy(Qt::NoContextMenu);
}

void HotKeyField::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  const int virtualKey = VirtualKeyOfQtKey(key);
  // Modifier keys alone, and keys without a code, change nothing; Tab still
  // moves on.
  if (virtualKey == 0) {
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) QLineEdit::keyPressEvent(event);
    return;
  }
  std::string text;
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & Qt::ControlModifier) text += "Ctrl+";
  if (modifiers & Qt::ShiftModifier) text += "Shift+";
  if (modifiers & Qt::AltModifier) text += "Alt+";
  text += ui::ToGbk(QKeySequence(key).toString(QKeySequence::PortableText));
  virtualKey_ = virtualKey;
  setText(ui::FromGbk(text));
  event->accept();
}

SysParamPage::SysParamPage(QWidget* parent, client::ConfigRegistry& registry, const SettingsPageContext& context)
    : SettingsPageBase(parent, registry, "CTQSysSetSysParam"), context_(context) {
  auto* layout = new QVBoxLayout(this);
  auto* hotKeyBox = new QGroupBox(ui::FromGbk("隐身热键"), this);
  auto* hotKeyLayout = new QHBoxLayout(hotKeyBox);
  useHotKey_ = new QCheckBox(ui::FromGbk("使用隐身热键"), hotKeyBox);
  ui::SetControlId(useHotKey_, 1158);
  hotKey_ = new HotKeyField(hotKeyBox);
  ui::SetControlId(hotKey_, 1160);
  hotKeyLayout->addWidget(useHotKey_);
  hotKeyLayout->addWidget(hotKey_, 1);
  layout->addWidget(hotKeyBox);

  auto* voiceBox = new QGroupBox(ui::FromGbk("提示音"), this);
  auto* voiceLayout = new QHBoxLayout(voiceBox);
  const char* voiceLabels[] = {"不用", "PC喇叭", "多媒体喇叭"};
  for (int i = 0; i < 3; ++i) {
    QRadioButton* radio = new QRadioButton(ui::FromGbk(voiceLabels[i]), voiceBox);
    ui::SetControlId(radio, 1161 + i);
    voice_[static_cast<std::size_t>(i)] = radio;
    voiceLayout->addWidget(radio);
    connect(radio, &QRadioButton::clicked, this, [this] { ApplyVoiceChoice(); });
  }
  voiceLayout->addStretch(1);
  layout->addWidget(voiceBox);

  ui::InsertGridColumns(rows_,
                        {ui::ColumnSpec("类型", 100, ui::kAlignLeft), ui::ColumnSpec("路径", 300, ui::kAlignLeft),
                         ui::ColumnSpec("试听", 50, ui::kAlignCentre)});
  grid_ = new ui::CTQGridCtrl(rows_, this);
  ui::SetControlId(grid_, 1200);
  if (context_.layouts != nullptr) grid_->LoadState(*context_.layouts, kSystemGridState);
  layout->addWidget(grid_, 1);

  OpenArea("SyssetSysParam");
  OpenArea("SyssetSysParamVoiceSet");
  ApplyVoiceChoice();
}

SysParamPage::~SysParamPage() {
  if (context_.layouts != nullptr) grid_->SaveState(*context_.layouts, kSystemGridState);
}

void SysParamPage::ApplyVoiceChoice() {
  if (voice_[0]->isChecked()) voiceChoice_ = 0;
  if (voice_[1]->isChecked()) voiceChoice_ = 1;
  if (voice_[2]->isChecked()) voiceChoice_ = 2;
  grid_->setVisible(voice_[2]->isChecked());
}

void SysParamPage::ShowRecord(const HotKeySettings& record) {
  useHotKey_->setChecked(record.use != 0);
  hotKey_->setText(ui::FromGbk(FieldText(record.text)));
}

void SysParamPage::ReadRecord(HotKeySettings& record) {
  record.use = useHotKey_->isChecked() ? 1 : 0;
  const std::string text = ui::ToGbk(hotKey_->text());
  if (text == FieldText(record.text)) return;
  SetField(record.text, text);
  record.virtualKey = static_cast<std::uint16_t>(hotKey_->VirtualKey());
  record.modifiers = HotKeyModifiersOfText(text);
}

void SysParamPage::ShowRecord(const VoiceSettings& record) {
  if (record.voiceType >= 0 && record.voiceType <= 2) {
    voice_[static_cast<std::size_t>(record.voiceType)]->setChecked(true);
  }
  rows_.RemoveAllRows();
  for (const VoiceItem& item : record.items) {
    ui::GridRow row = ui::CreateGridRow(rows_);
    row.SetText(0, FieldText(item.eventName));
    row.SetText(kPathColumn, FieldText(item.soundFile));
    row.SetEditable(kPathColumn, true);
    row.SetText(kListenColumn, "试听");
    const ui::RowId id = rows_.AddRow(std::move(row));
    // The buttons find their row by its id: a sort moves it.
    const int position = rows_.ShownPositionOf(id);
    auto* listen = new QPushButton(ui::FromGbk("试听"));
    listen->setObjectName("listen");
    listen->setAutoDefault(false);
    connect(listen, &QPushButton::clicked, this, [this, id] { PlayRow(rows_.ShownPositionOf(id)); });
    grid_->setIndexWidget(grid_->model()->index(position, kListenColumn), listen);
    grid_->setIndexWidget(grid_->model()->index(position, kPathColumn),
                          new BrowseButtonCell(nullptr, [this, id] { BrowseSoundFile(rows_.ShownPositionOf(id)); }));
  }
}

void SysParamPage::ReadRecord(VoiceSettings& record) {
  record.voiceType = voiceChoice_;
  for (int position = 0; position < rows_.ShownRowCount(); ++position) {
    const std::string_view name = rows_.ShownText(position, 0);
    for (VoiceItem& item : record.items) {
      if (FieldText(item.eventName) == name) SetField(item.soundFile, rows_.ShownText(position, kPathColumn));
    }
  }
}

void SysParamPage::BrowseSoundFile(int row) {
  if (row < 0 || row >= rows_.ShownRowCount()) return;
  QFileDialog dialog(this, QString(), QString(), "Wav Files (*.wav);;All Files (*.*)");
  dialog.setObjectName("soundFileDialog");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ReadOnly);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  // Stored as the user's edit of the cell would be.
  grid_->model()->setData(grid_->model()->index(row, kPathColumn), dialog.selectedFiles().front(), Qt::EditRole);
}

void SysParamPage::PlayRow(int row) {
  if (context_.sounds == nullptr || row < 0 || row >= rows_.ShownRowCount()) return;
  context_.sounds->PlayFile(std::string(rows_.ShownText(row, kPathColumn)));
}

}  // namespace shell
