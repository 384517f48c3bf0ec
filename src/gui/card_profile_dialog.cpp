#include "gui/card_profile_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/output_option_items.h"

namespace tarvello {

TCardProfileForm::TCardProfileForm(const CardProfileRequest& request, CardProfileChoosers choosers,
                                   QWidget* parent)
    : QDialog(parent),
      request_(request),
      choosers_(std::move(choosers)),
      sources_(request.form.sources) {
  setObjectName(QStringLiteral("TCardProfileForm"));
  setWindowTitle(
      QStringLiteral("カードの内容 - %1").arg(QString::fromStdString(request.card_name)));
  resize(560, 420);
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(QStringLiteral("カード %1 に入れる曲 (上から順に):")
                               .arg(QString::fromStdString(request.card_name)));
  layout->addWidget(intro);
  CreateSourceControls();
  auto* sources = new QHBoxLayout;
  sources->addWidget(lvSources_, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {btAdd_, btUp_, btDown_, btRemove_}) buttons->addWidget(button);
  buttons->addStretch(1);
  sources->addLayout(buttons);
  layout->addLayout(sources, 1);
  intro->setBuddy(lvSources_);

  CreateOptionControls();
  auto* options = new QGroupBox(QStringLiteral("出力のオプション"));
  auto* form = new QFormLayout(options);
  form->addRow(QStringLiteral("タイトル(&T)"), cbTitleFormat_);
  form->addRow(QStringLiteral("区切り記号(&S)"), cbSeparator_);
  form->addRow(QStringLiteral("ビットレートの下限(&B)"), cbBitRate_);
  form->addRow(chBackup_);
  layout->addWidget(options);
  layout->addWidget(chAutoUpdate_);

  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  box->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btOK"));
  box->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btCancel"));
  box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(box);

  FillSources(0);
  lvSources_->setFocus();
}

void TCardProfileForm::CreateSourceControls() {
  lvSources_ = new QListWidget;
  lvSources_->setObjectName(QStringLiteral("lvSources"));
  connect(lvSources_, &QListWidget::currentRowChanged, this, [this] { FollowSelection(); });

  btAdd_ = new QPushButton(QStringLiteral("追加(&A)"));
  btAdd_->setObjectName(QStringLiteral("btAdd"));
  auto* menu = new QMenu(btAdd_);
  menu->setObjectName(QStringLiteral("AddSourceMenu"));
  const auto add = [this, menu](const char* name, const QString& caption, bool enabled,
                                void (TCardProfileForm::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, handler);
  };
  add("AddLibraryPlaylist", QStringLiteral("ライブラリのプレイリスト(&L)..."),
      !request_.library_playlists.empty(), &TCardProfileForm::AddLibraryPlaylist);
  add("AddPlayerPlaylist", QStringLiteral("プレーヤーのプレイリスト(&P)..."),
      !request_.player_playlists.empty(), &TCardProfileForm::AddPlayerPlaylist);
  add("AddPlaylistFile", QStringLiteral("プレイリストファイル(&F)..."), true,
      &TCardProfileForm::AddPlaylistFile);
  add("AddFolder", QStringLiteral("フォルダ(&D)..."), true, &TCardProfileForm::AddFolder);
  add("AddCurrentList",
      QStringLiteral("現在のリストの出力対象曲 (%1 曲)(&C)").arg(request_.marked_rows),
      request_.marked_rows > 0, &TCardProfileForm::AddCurrentList);
  btAdd_->setMenu(menu);

  btUp_ = new QPushButton(QStringLiteral("上へ(&U)"));
  btUp_->setObjectName(QStringLiteral("btUp"));
  connect(btUp_, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
  btDown_ = new QPushButton(QStringLiteral("下へ(&W)"));
  btDown_->setObjectName(QStringLiteral("btDown"));
  connect(btDown_, &QPushButton::clicked, this, [this] { MoveSelected(1); });
  btRemove_ = new QPushButton(QStringLiteral("削除(&R)"));
  btRemove_->setObjectName(QStringLiteral("btRemove"));
  connect(btRemove_, &QPushButton::clicked, this, [this] { RemoveSelected(); });
}

void TCardProfileForm::CreateOptionControls() {
  const ProfileOutput& form = request_.form.output;
  cbTitleFormat_ = new QComboBox;
  cbTitleFormat_->setObjectName(QStringLiteral("cbTitleFormat"));
  AddTitleFormatItems(cbTitleFormat_);
  cbTitleFormat_->setCurrentIndex(form.title_format);
  cbSeparator_ = new QComboBox;
  cbSeparator_->setObjectName(QStringLiteral("cbSeparator"));
  AddSeparatorItems(cbSeparator_);
  cbSeparator_->setCurrentIndex(form.separator);
  cbBitRate_ = new QComboBox;
  cbBitRate_->setObjectName(QStringLiteral("cbBitRate"));
  AddBitRateItems(cbBitRate_);
  SelectBitRate(cbBitRate_, form.bit_rate_kbps);
  cbBitRate_->setToolTip(QStringLiteral(
      "カードに入りきらないとき, これより高いビットレートの曲をこのビットレートで変換します"));
  chBackup_ = new QCheckBox(QStringLiteral("更新の前にカードの曲をバックアップする(&K)"));
  chBackup_->setObjectName(QStringLiteral("chBackup"));
  chBackup_->setChecked(form.backup);
  chAutoUpdate_ = new QCheckBox(QStringLiteral("挿したら自動で更新する(&I)"));
  chAutoUpdate_->setObjectName(QStringLiteral("chAutoUpdate"));
  chAutoUpdate_->setChecked(request_.form.auto_update);
}

CardProfileForm TCardProfileForm::Values() const {
  CardProfileForm form;
  form.sources = sources_;
  // The folder and the names of the songs stay as the profile had them.
  form.output = request_.form.output;
  form.output.title_format = std::max(cbTitleFormat_->currentIndex(), 0);
  form.output.separator = std::max(cbSeparator_->currentIndex(), 0);
  form.output.backup = chBackup_->isChecked();
  form.output.bit_rate_kbps = cbBitRate_->currentData().toInt();
  form.auto_update = chAutoUpdate_->isChecked();
  return form;
}

void TCardProfileForm::FillSources(int current) {
  lvSources_->clear();
  for (const CardSource& source : sources_) lvSources_->addItem(SourceLabel(source));
  const int count = static_cast<int>(sources_.size());
  lvSources_->setCurrentRow(count == 0 ? -1 : std::clamp(current, 0, count - 1));
  FollowSelection();
}

void TCardProfileForm::FollowSelection() {
  const int row = lvSources_->currentRow();
  const int count = static_cast<int>(sources_.size());
  btUp_->setEnabled(row > 0);
  btDown_->setEnabled(row >= 0 && row + 1 < count);
  btRemove_->setEnabled(row >= 0);
}

QString TCardProfileForm::SourceLabel(const CardSource& source) const {
  if (source == CurrentListSource()) {
    return QStringLiteral("現在のリストの出力対象曲 (%1 曲)").arg(request_.marked_rows);
  }
  return QString::fromStdString(CardSourceLabel(source));
}

void TCardProfileForm::AddSource(const CardSource& source) {
  // The same source twice would only repeat songs that are kept once anyway.
  const auto found = std::find(sources_.begin(), sources_.end(), source);
  const auto index = found - sources_.begin();
  if (found == sources_.end()) sources_.push_back(source);
  FillSources(static_cast<int>(index));
  lvSources_->setFocus();
}

std::optional<int> TCardProfileForm::PickItem(const QString& title, const QStringList& items) {
  bool ok = false;
  const QString chosen =
      QInputDialog::getItem(this, title, QStringLiteral("プレイリスト(&P)"), items, 0, false, &ok);
  const int index = items.indexOf(chosen);
  if (!ok || index < 0) return std::nullopt;
  return index;
}

void TCardProfileForm::AddLibraryPlaylist() {
  QStringList items;
  for (const std::string& name : request_.library_playlists) items << QString::fromStdString(name);
  const std::optional<int> index = PickItem(QStringLiteral("ライブラリのプレイリスト"), items);
  if (!index) return;
  AddSource({CardSourceKind::kLibraryPlaylist,
             request_.library_file,
             {},
             request_.library_playlists[static_cast<size_t>(*index)]});
}

void TCardProfileForm::AddPlayerPlaylist() {
  QStringList items;
  for (const PlayerPlaylistChoice& choice : request_.player_playlists) {
    items << QStringLiteral("%1 (%2)").arg(QString::fromStdString(choice.name),
                                           QString::fromStdString(choice.player));
  }
  const std::optional<int> index = PickItem(QStringLiteral("プレーヤーのプレイリスト"), items);
  if (!index) return;
  const PlayerPlaylistChoice& choice = request_.player_playlists[static_cast<size_t>(*index)];
  AddSource({CardSourceKind::kPlayerPlaylist, {}, choice.player, choice.name});
}

void TCardProfileForm::AddPlaylistFile() {
  if (!choosers_.playlist_file) return;
  if (const auto path = choosers_.playlist_file()) {
    AddSource({CardSourceKind::kPlaylistFile, *path, {}, {}});
  }
}

void TCardProfileForm::AddFolder() {
  if (!choosers_.folder) return;
  if (const auto path = choosers_.folder()) AddSource({CardSourceKind::kFolder, *path, {}, {}});
}

void TCardProfileForm::AddCurrentList() {
  AddSource(CurrentListSource());
}

void TCardProfileForm::MoveSelected(int step) {
  const int row = lvSources_->currentRow();
  const int target = row + step;
  if (row < 0 || target < 0 || target >= static_cast<int>(sources_.size())) return;
  std::swap(sources_[static_cast<size_t>(row)], sources_[static_cast<size_t>(target)]);
  FillSources(target);
  lvSources_->setFocus();
}

void TCardProfileForm::RemoveSelected() {
  const int row = lvSources_->currentRow();
  if (row < 0) return;
  sources_.erase(sources_.begin() + row);
  FillSources(row);
  lvSources_->setFocus();
}

}  // namespace tarvello
