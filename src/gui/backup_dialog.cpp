#include "gui/backup_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarvello {
namespace {

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

TBackupForm::TBackupForm(const BackupDialogRequest& request, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TBackupForm"));
  setWindowTitle(QStringLiteral("バックアップから戻す"));
  resize(520, 320);
  auto* layout = new QVBoxLayout(this);
  auto* location = new QLabel(QStringLiteral("バックアップフォルダ: ") + Text(request.location));
  location->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(location);

  lvBackups_ = new QTreeWidget;
  lvBackups_->setObjectName(QStringLiteral("lvBackups"));
  lvBackups_->setRootIsDecorated(false);
  lvBackups_->setHeaderLabels({QStringLiteral("名前"), QStringLiteral("日付"), QStringLiteral("曲数"),
                               QStringLiteral("サイズ"), QStringLiteral("カードに入るか")});
  for (const BackupRow& row : request.rows) {
    auto* item = new QTreeWidgetItem(
        {Text(row.name), Text(row.date), QString::number(row.songs), Text(row.size),
         row.fits ? QStringLiteral("入ります") : QStringLiteral("入りません")});
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    lvBackups_->addTopLevelItem(item);
  }
  lvBackups_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(lvBackups_);
  // Backups share the bytes of songs they have in common, so the sizes above add up to
  // more than the disk gives them.
  auto* disk = new QLabel(QStringLiteral("すべてのバックアップが実際に使っている容量: ") +
                          Text(request.disk_size));
  disk->setObjectName(QStringLiteral("lbDiskSize"));
  layout->addWidget(disk);

  auto* buttons = new QDialogButtonBox;
  btRestore_ = buttons->addButton(QStringLiteral("戻す(&R)"), QDialogButtonBox::AcceptRole);
  btRestore_->setObjectName(QStringLiteral("btRestore"));
  btDelete_ = buttons->addButton(QStringLiteral("削除(&D)"), QDialogButtonBox::ActionRole);
  btDelete_->setObjectName(QStringLiteral("btDelete"));
  QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("btClose"));
  layout->addWidget(buttons);
  connect(btRestore_, &QPushButton::clicked, this, [this] { Choose(BackupChoice::Action::kRestore); });
  connect(btDelete_, &QPushButton::clicked, this, [this] { Choose(BackupChoice::Action::kDelete); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  connect(lvBackups_, &QTreeWidget::itemSelectionChanged, this, &TBackupForm::FollowSelection);
  connect(lvBackups_, &QTreeWidget::itemDoubleClicked, this,
          [this] { Choose(BackupChoice::Action::kRestore); });
  if (!request.rows.empty()) lvBackups_->setCurrentItem(lvBackups_->topLevelItem(0));
  FollowSelection();
}

void TBackupForm::FollowSelection() {
  const bool chosen = lvBackups_->currentItem() != nullptr;
  btRestore_->setEnabled(chosen);
  btDelete_->setEnabled(chosen);
}

void TBackupForm::Choose(BackupChoice::Action action) {
  QTreeWidgetItem* item = lvBackups_->currentItem();
  if (item == nullptr) return;
  choice_ = BackupChoice{action, lvBackups_->indexOfTopLevelItem(item)};
  accept();
}

}  // namespace tarvello
