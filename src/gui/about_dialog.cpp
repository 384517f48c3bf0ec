#include "gui/about_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

// The resource lives in a static library; nothing else would pull it into the program.
static void LoadAboutResource() {
  Q_INIT_RESOURCE(about);
}

namespace tarvello {
namespace {

constexpr int kWidth = 246;
constexpr int kHeight = 155;

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QLabel* AddLabel(QWidget* parent, const char* name, int left, int top) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  label->move(left, top);
  return label;
}

}  // namespace

TAboutDialog::TAboutDialog(const std::string& application_title,
                           const std::optional<VersionInfo>& version, QWidget* parent)
    : QDialog(parent) {
  LoadAboutResource();
  setObjectName(QStringLiteral("TAboutDialog"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kWidth, kHeight);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  panel->setGeometry(8, 8, kWidth - 16, 105);
  ProgramImage_ = AddLabel(panel, "ProgramImage", 15, 15);
  ProgramImage_->resize(32, 32);
  ProgramImage_->setScaledContents(true);
  ProgramImage_->setAlignment(Qt::AlignCenter);
  ProgramImage_->setAttribute(Qt::WA_TranslucentBackground);
  ProductName_ = AddLabel(panel, "ProductName", 83, 22);
  Version_ = AddLabel(panel, "Version", 83, 46);
  Copyright_ = AddLabel(panel, "Copyright", 10, 88);

  const AboutTexts texts = MakeAboutTexts(application_title, version);
  setWindowTitle(Text(texts.caption));
  ProductName_->setText(Text(texts.product_name));
  Version_->setText(Text(texts.version));
  Copyright_->setText(Text(texts.copyright));
  for (QLabel* label : {ProductName_, Version_}) label->adjustSize();
  // A long copyright line wraps inside the panel instead of running past its edge.
  Copyright_->setWordWrap(true);
  Copyright_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Copyright_->setGeometry(10, 76, panel->width() - 20, panel->height() - 78);
  if (texts.show_picture) ProgramImage_->setPixmap(QPixmap(QStringLiteral(":/AboutImage")));

  OKButton_ = new QPushButton(QStringLiteral("OK"), this);
  OKButton_->setObjectName(QStringLiteral("OKButton"));
  OKButton_->setGeometry((kWidth - 75) / 2, kHeight - 34, 75, 25);
  OKButton_->setDefault(true);
  connect(OKButton_, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tarvello
