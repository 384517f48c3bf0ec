#include "gui/property_form.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tarvello {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 462;
constexpr int kFieldLeft = 112;
constexpr int kFieldWidth = 352;
constexpr int kRightLabelLeft = 268;
constexpr int kRightFieldLeft = 364;
constexpr int kNumberWidth = 44;
constexpr int kLine = 22;
constexpr int kFieldHeight = 20;
constexpr int kMemoHeight = 36;

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

TPropertyForm::TPropertyForm(const TrackProperties& properties, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TPropertyForm"));
  setWindowTitle(QStringLiteral("Property"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kWidth, kHeight);
  // The labels and the check box stand in a disabled group; the fields lie above it.
  GroupBox1_ = new QGroupBox(this);
  GroupBox1_->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1_->setGeometry(8, 4, kWidth - 16, kHeight - 48);
  GroupBox1_->setEnabled(false);
  FormCreate(properties);
}

void TPropertyForm::AddLabel(const char* text, int left, int top) {
  auto* label = new QLabel(QString::fromUtf8(text), GroupBox1_);
  label->move(left - GroupBox1_->x(), top + 3 - GroupBox1_->y());
  label->adjustSize();
}

QLineEdit* TPropertyForm::AddField(const char* name, int left, int top, int width) {
  auto* field = new QLineEdit(this);
  field->setObjectName(QString::fromLatin1(name));
  field->setReadOnly(true);
  field->setGeometry(left, top, width, kFieldHeight);
  return field;
}

QPlainTextEdit* TPropertyForm::AddMemo(const char* name, int top, int height) {
  auto* memo = new QPlainTextEdit(this);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setReadOnly(true);
  memo->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  memo->setGeometry(kFieldLeft, top, kFieldWidth, height);
  return memo;
}

void TPropertyForm::FormCreate(const TrackProperties& p) {
  int top = 16;
  const auto text_row = [&](const char* label, const char* name, const std::string& value) {
    AddLabel(label, 16, top);
    QLineEdit* field = AddField(name, kFieldLeft, top, kFieldWidth);
    field->setText(Text(value));
    top += kLine;
    return field;
  };
  // A pair of numbers ("3" / "12") with a value of the stream to its right.
  const auto pair_row = [&](const char* label, const char* first_name, const std::string& first,
                            const char* second_name, const std::string& second) {
    AddLabel(label, 16, top);
    QLineEdit* a = AddField(first_name, kFieldLeft, top, kNumberWidth);
    a->setText(Text(first));
    QLineEdit* b = nullptr;
    if (second_name != nullptr) {
      AddLabel("/", kFieldLeft + kNumberWidth + 4, top);
      b = AddField(second_name, kFieldLeft + kNumberWidth + 14, top, kNumberWidth);
      b->setText(Text(second));
    }
    return std::pair{a, b};
  };
  const auto right_field = [&](const char* label, const char* name, const std::string& value) {
    AddLabel(label, kRightLabelLeft, top);
    QLineEdit* field =
        AddField(name, kRightFieldLeft, top, kFieldLeft + kFieldWidth - kRightFieldLeft);
    field->setText(Text(value));
    return field;
  };

  edTitle_ = text_row("曲名", "edTitle", p.title);
  edTime_ = text_row("時間", "edTime", p.time);
  edArtist_ = text_row("アーティスト", "edArtist", p.artist);
  edAlbum_ = text_row("アルバム", "edAlbum", p.album);
  edGenre_ = text_row("ジャンル", "edGenre", p.genre);
  edYear_ = text_row("年", "edYear", p.year);
  std::tie(edTrackNo_, edTrackTotal_) =
      pair_row("トラック番号", "edTrackNo", p.track_no, "edTrackTotal", p.track_total);
  edChNum_ = right_field("チャンネル数", "edChNum", p.channels);
  top += kLine;
  std::tie(edDiskNo_, edDiskTotal_) =
      pair_row("ディスク番号", "edDiskNo", p.disk_no, "edDiskTotal", p.disk_total);
  edBitRate_ = right_field("ビットレート", "edBitRate", p.bit_rate);
  top += kLine;
  edTempo_ = pair_row("BPM", "edTempo", p.tempo, nullptr, {}).first;
  edSampleRate_ = right_field("サンプルレート", "edSampleRate", p.sample_rate);
  top += kLine;
  edGroup_ = text_row("分類", "edGroup", p.group);
  edWriter_ = text_row("作曲者", "edWriter", p.writer);
  AddLabel("コメント", 16, top);
  memComment_ = AddMemo("memComment", top, kMemoHeight);
  memComment_->setPlainText(Text(p.comment));
  top += kMemoHeight + 4;
  chkCompilation_ = new QCheckBox(QStringLiteral("コンピレーションの一部"), GroupBox1_);
  chkCompilation_->setObjectName(QStringLiteral("chkCompilation"));
  chkCompilation_->move(kFieldLeft - GroupBox1_->x(), top - GroupBox1_->y());
  chkCompilation_->adjustSize();
  chkCompilation_->setChecked(p.compilation);
  top += kLine;
  edTool_ = text_row("エンコーダ", "edTool", p.tool);
  edFileSize_ = text_row("サイズ", "edFileSize", p.file_size);
  AddLabel("ファイル名", 16, top);
  memFileName_ = AddMemo("memFileName", top, kMemoHeight);
  if (p.converted_from.empty()) {
    memFileName_->setPlainText(Text(p.file_name));
  } else {
    memFileName_->setPlainText(Text(p.file_name + "\n(このファイルから AAC に変換した曲を出力します)"));
  }

  OKButton_ = new QPushButton(QStringLiteral("OK"), this);
  OKButton_->setObjectName(QStringLiteral("OKButton"));
  OKButton_->setGeometry((kWidth - 75) / 2, kHeight - 36, 75, 25);
  OKButton_->setDefault(true);
  connect(OKButton_, &QPushButton::clicked, this, &QDialog::accept);
  OKButton_->setFocus();
}

}  // namespace tarvello
