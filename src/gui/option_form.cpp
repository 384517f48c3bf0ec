#include "gui/option_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "app/card_options.h"
#include "gui/dialogs.h"
#include "gui/output_option_items.h"
#include "gui/wait_cursor.h"
#include "output/output_options.h"

namespace tarvello {
namespace {

constexpr int kWidth = 394;
constexpr int kHeight = 250;
constexpr int kOutDirLength = 240;

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string Utf8(const QString& text) {
  return text.toUtf8().toStdString();
}

// Letters typed into the field become upper case where the cursor is.
void TypeUpperCase(QLineEdit* edit) {
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
    const QString upper = text.toUpper();
    if (upper == text) return;
    const int cursor = edit->cursorPosition();
    edit->setText(upper);
    edit->setCursorPosition(cursor);
  });
}

}  // namespace

bool BrowseForFolder(QWidget* owner, const std::string& title, const std::string& root,
                     std::string& folder) {
  if (!QDir(QFile::decodeName(folder.c_str())).exists() || folder.empty()) folder.clear();
  const std::string start = !folder.empty() ? folder : root;
  const QString chosen = QFileDialog::getExistingDirectory(
      owner, Text(title), QFile::decodeName(start.c_str()), QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return false;
  folder = QFile::encodeName(chosen).toStdString();
  return true;
}

TOptionForm::TOptionForm(const OptionDialogRequest& request, FolderChooser choose_folder,
                         QWidget* parent)
    : QDialog(parent),
      mount_points_(request.mount_points),
      choose_folder_(std::move(choose_folder)),
      cache_(request.cache) {
  setObjectName(QStringLiteral("TOptionForm"));
  setWindowTitle(QStringLiteral("Options"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kWidth, kHeight);
  if (!choose_folder_) {
    choose_folder_ = [this](std::string& folder) { return BrowseForFolder(this, "", "", folder); };
  }

  PageControl1_ = new QTabWidget(this);
  PageControl1_->setObjectName(QStringLiteral("PageControl1"));
  PageControl1_->setGeometry(8, 8, kWidth - 16, kHeight - 52);
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet1"));
  PageControl1_->addTab(page, QStringLiteral("出力情報"));

  edOutDir_ = AddEdit(page, "edOutDir", "フォルダ", 12, 250, kOutDirLength);
  btDirDialog_ = new QPushButton(QStringLiteral("..."), page);
  btDirDialog_->setObjectName(QStringLiteral("btDirDialog"));
  btDirDialog_->setGeometry(334, 11, 28, 22);
  connect(btDirDialog_, &QPushButton::clicked, this, &TOptionForm::btDirDialogClick);
  edPrefix_ = AddEdit(page, "edPrefix", "接頭語", 40, 48, static_cast<int>(kNamePartBytes));
  edExt_ = AddEdit(page, "edExt", "拡張子", 68, 48, static_cast<int>(kNamePartBytes));
  for (QLineEdit* edit : {edPrefix_, edExt_}) {
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->setInputMethodHints(Qt::ImhPreferUppercase | Qt::ImhLatinOnly);
    TypeUpperCase(edit);
  }

  auto* title_label = new QLabel(QStringLiteral("タイトル"), page);
  title_label->move(12, 99);
  cbTitleFormat_ = new QComboBox(page);
  cbTitleFormat_->setObjectName(QStringLiteral("cbTitleFormat"));
  cbTitleFormat_->setGeometry(80, 96, 160, 22);
  AddTitleFormatItems(cbTitleFormat_);
  auto* separator_label = new QLabel(QStringLiteral("区切り記号"), page);
  separator_label->move(250, 99);
  cbSeparater_ = new QComboBox(page);
  cbSeparater_->setObjectName(QStringLiteral("cbSeparater"));
  cbSeparater_->setGeometry(316, 96, 46, 22);
  title_label->setBuddy(cbTitleFormat_);
  separator_label->setBuddy(cbSeparater_);

  chAutoGetDest_ =
      new QCheckBox(QStringLiteral("出力先フォルダ内のファイルを自動的に取り込む"), page);
  chAutoGetDest_->setObjectName(QStringLiteral("chAutoGetDest"));
  // The two check boxes sit closer than the controls above them, so that the page keeps
  // a margin below the last one.
  chAutoGetDest_->move(12, 124);
  chAutoGetDest_->adjustSize();
  chBackup_ =
      new QCheckBox(QStringLiteral("出力時に出力先フォルダ内のファイルをバックアップする"), page);
  chBackup_->setObjectName(QStringLiteral("chBackup"));
  chBackup_->move(12, 145);
  chBackup_->adjustSize();

  AddCardPage();
  AddConversionPage();

  btOK_ = new QPushButton(QStringLiteral("OK"), this);
  btOK_->setObjectName(QStringLiteral("btOK"));
  btOK_->setGeometry(kWidth - 170, kHeight - 36, 75, 25);
  connect(btOK_, &QPushButton::clicked, this, &TOptionForm::btOKClick);
  btCancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
  btCancel_->setObjectName(QStringLiteral("btCancel"));
  btCancel_->setGeometry(kWidth - 87, kHeight - 36, 75, 25);
  connect(btCancel_, &QPushButton::clicked, this, &QDialog::reject);
  btCancel_->setDefault(true);

  setTabOrder(edOutDir_, btDirDialog_);
  setTabOrder(btDirDialog_, edPrefix_);
  setTabOrder(edPrefix_, edExt_);
  setTabOrder(edExt_, cbTitleFormat_);
  setTabOrder(cbTitleFormat_, cbSeparater_);
  setTabOrder(cbSeparater_, chAutoGetDest_);
  setTabOrder(chAutoGetDest_, chBackup_);
  setTabOrder(chBackup_, chVerify_);
  setTabOrder(chVerify_, seBackupsToKeep_);
  setTabOrder(seBackupsToKeep_, chConvert_);
  setTabOrder(chConvert_, cbBitRate_);
  QWidget* last_on_pages = cbBitRate_;
  if (btEmptyCache_ != nullptr) {
    setTabOrder(cbBitRate_, btEmptyCache_);
    last_on_pages = btEmptyCache_;
  }
  setTabOrder(last_on_pages, btOK_);
  setTabOrder(btOK_, btCancel_);

  FormCreate(request.values);
  edOutDir_->setFocus();
}

void TOptionForm::AddCardPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet2"));
  PageControl1_->addTab(page, QStringLiteral("カード"));
  chVerify_ =
      new QCheckBox(QStringLiteral("出力後にカードから読み戻して書き込んだ内容と照合する"), page);
  chVerify_->setObjectName(QStringLiteral("chVerify"));
  chVerify_->move(12, 16);
  chVerify_->adjustSize();
  auto* keep_label = new QLabel(QStringLiteral("バックアップを残す数"), page);
  keep_label->move(12, 51);
  seBackupsToKeep_ = new QSpinBox(page);
  seBackupsToKeep_->setObjectName(QStringLiteral("seBackupsToKeep"));
  seBackupsToKeep_->setRange(0, kMaxBackupsToKeep);
  // 0 keeps every backup folder, as without the option.
  seBackupsToKeep_->setSpecialValueText(QStringLiteral("すべて"));
  seBackupsToKeep_->setGeometry(150, 48, 80, 22);
  keep_label->setBuddy(seBackupsToKeep_);
}

QLineEdit* TOptionForm::AddEdit(QWidget* page, const char* name, const char* label, int top,
                                int width, int max_length) {
  auto* caption = new QLabel(QString::fromUtf8(label), page);
  caption->move(12, top + 3);
  auto* edit = new QLineEdit(page);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(80, top, width, 22);
  edit->setMaxLength(max_length);
  caption->setBuddy(edit);
  return edit;
}

void TOptionForm::FormCreate(const OptionFormValues& values) {
  edOutDir_->setText(Text(values.out_dir));
  edPrefix_->setText(Text(values.prefix));
  edExt_->setText(Text(values.ext));
  cbTitleFormat_->setCurrentIndex(values.title_format);
  AddSeparatorItems(cbSeparater_);
  cbSeparater_->setCurrentIndex(values.separator);
  chAutoGetDest_->setChecked(values.auto_import);
  chBackup_->setChecked(values.backup);
  chVerify_->setChecked(values.verify);
  seBackupsToKeep_->setValue(values.backups_to_keep);
  chConvert_->setChecked(values.convert);
  SelectBitRate(cbBitRate_, values.bit_rate_kbps);
}

// Songs the card would refuse are converted to AAC on the way; the bit rate is for encodes.
void TOptionForm::AddConversionPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet3"));
  PageControl1_->addTab(page, QStringLiteral("変換"));
  chConvert_ = new QCheckBox(QStringLiteral("そのままでは出力できない曲を AAC に変換する"), page);
  chConvert_->setObjectName(QStringLiteral("chConvert"));
  chConvert_->move(12, 12);
  chConvert_->adjustSize();
  auto* label = new QLabel(QStringLiteral("ビットレート"), page);
  label->move(12, 44);
  cbBitRate_ = new QComboBox(page);
  cbBitRate_->setObjectName(QStringLiteral("cbBitRate"));
  cbBitRate_->setGeometry(100, 40, 100, 22);
  AddBitRateItems(cbBitRate_);
  connect(chConvert_, &QCheckBox::toggled, cbBitRate_, &QWidget::setEnabled);
  if (cache_ != nullptr) AddCacheControls(page);
}

void TOptionForm::AddCacheControls(QWidget* page) {
  auto* folder_label = new QLabel(QStringLiteral("キャッシュ"), page);
  folder_label->move(12, 74);
  lbCacheFolder_ = new QLabel(page);
  lbCacheFolder_->setObjectName(QStringLiteral("lbCacheFolder"));
  lbCacheFolder_->setGeometry(100, 74, 262, 16);
  lbCacheFolder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* size_label = new QLabel(QStringLiteral("使用量"), page);
  size_label->move(12, 96);
  lbCacheSize_ = new QLabel(page);
  lbCacheSize_->setObjectName(QStringLiteral("lbCacheSize"));
  lbCacheSize_->setGeometry(100, 96, 262, 16);
  btEmptyCache_ = new QPushButton(QStringLiteral("キャッシュを空にする"), page);
  btEmptyCache_->setObjectName(QStringLiteral("btEmptyCache"));
  btEmptyCache_->setGeometry(12, 122, 150, 25);
  connect(btEmptyCache_, &QPushButton::clicked, this, &TOptionForm::btEmptyCacheClick);
  lbCacheResult_ = new QLabel(page);
  lbCacheResult_->setObjectName(QStringLiteral("lbCacheResult"));
  lbCacheResult_->setGeometry(170, 118, 192, 34);
  lbCacheResult_->setWordWrap(true);
  // Measured when the page is first shown, not for every opening of the dialog.
  connect(PageControl1_, &QTabWidget::currentChanged, this, [this, page](int index) {
    if (PageControl1_->widget(index) == page && !cache_measured_) ShowCacheFigures();
  });
}

void TOptionForm::ShowCacheFigures() {
  const WaitCursor cursor;
  const CachePageFigures figures = cache_->Measure();
  cache_measured_ = true;
  const QString folder = Text(figures.folder);
  lbCacheFolder_->setToolTip(folder);
  lbCacheFolder_->setText(
      lbCacheFolder_->fontMetrics().elidedText(folder, Qt::ElideMiddle, lbCacheFolder_->width()));
  lbCacheSize_->setText(Text(figures.size_text));
}

void TOptionForm::btEmptyCacheClick() {
  if (MakeMessageBox(DialogKind::kConfirm, kEmptyCacheQuestion, this)->exec() != QMessageBox::Ok) {
    return;
  }
  std::string done;
  {
    const WaitCursor cursor;
    done = cache_->Empty();
  }
  lbCacheResult_->setText(Text(done));
  ShowCacheFigures();
}

void TOptionForm::btDirDialogClick() {
  std::string folder;
  if (!choose_folder_(folder)) return;
  edOutDir_->setText(Text(OutDirFromFolder(folder, mount_points_)));
}

void TOptionForm::btOKClick() {
  const std::string refusal = OptionFormRefusal(Values());
  if (refusal.empty()) {
    accept();
    return;
  }
  MakeMessageBox(DialogKind::kInformation, refusal, this)->exec();
  edOutDir_->setFocus();
  edOutDir_->selectAll();
}

OptionFormValues TOptionForm::Values() const {
  OptionFormValues values;
  values.out_dir = Utf8(edOutDir_->text());
  values.prefix = Utf8(edPrefix_->text());
  values.ext = Utf8(edExt_->text());
  values.title_format = cbTitleFormat_->currentIndex();
  values.separator = cbSeparater_->currentIndex();
  values.auto_import = chAutoGetDest_->isChecked();
  values.backup = chBackup_->isChecked();
  values.verify = chVerify_->isChecked();
  values.backups_to_keep = seBackupsToKeep_->value();
  values.convert = chConvert_->isChecked();
  values.bit_rate_kbps = cbBitRate_->currentData().toInt();
  return values;
}

}  // namespace tarvello
