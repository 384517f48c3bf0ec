#include "gui/about_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>

#include "gui/program_icon.h"

// The resource lives in a static library; nothing else would pull it into the program.
static void LoadAboutResource() {
  Q_INIT_RESOURCE(about);
}

namespace tarvello {
namespace {

constexpr int kWidth = 246;
constexpr int kHeight = 155;
constexpr int kMaxWidth = 480;
constexpr int kPanelHeight = 105;
constexpr int kCopyrightLeft = 10;
constexpr int kCopyrightTop = 76;
constexpr int kCopyrightBottom = 8;
constexpr int kPictureSize = 32;

// The picture at the screen's pixel density: the 32-pixel image where it fits, else the
// program's larger artwork scaled down, never a small image scaled up.
QPixmap AboutPicture(qreal device_pixel_ratio) {
  QIcon picture = ProgramIcon();
  picture.addFile(QStringLiteral(":/AboutImage"), QSize(kPictureSize, kPictureSize));
  return picture.pixmap(QSize(kPictureSize, kPictureSize), device_pixel_ratio);
}

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

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  ProgramImage_ = AddLabel(panel, "ProgramImage", 15, 15);
  ProgramImage_->resize(32, 32);
  ProgramImage_->setScaledContents(true);
  ProgramImage_->setAlignment(Qt::AlignCenter);
  ProgramImage_->setAttribute(Qt::WA_TranslucentBackground);
  ProductName_ = AddLabel(panel, "ProductName", 83, 22);
  Version_ = AddLabel(panel, "Version", 83, 46);
  Copyright_ = AddLabel(panel, "Copyright", kCopyrightLeft, kCopyrightTop);

  const AboutTexts texts = MakeAboutTexts(application_title, version);
  setWindowTitle(Text(texts.caption));
  ProductName_->setText(Text(texts.product_name));
  Version_->setText(Text(texts.version));
  Copyright_->setText(Text(texts.copyright));
  for (QLabel* label : {ProductName_, Version_}) label->adjustSize();
  // The box widens for a copyright line that the font makes long, up to a limit; beyond
  // it the line wraps and the panel grows, so no line reaches the panel's edge.
  const int copyright_width = Copyright_->fontMetrics().horizontalAdvance(Copyright_->text());
  const int width = std::clamp(copyright_width + 2 * kCopyrightLeft + 16 + 4, kWidth, kMaxWidth);
  const int text_width = width - 16 - 2 * kCopyrightLeft;
  Copyright_->setWordWrap(true);
  Copyright_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const int text_height = Copyright_->heightForWidth(text_width);
  const int panel_height = std::max(kPanelHeight, kCopyrightTop + text_height + kCopyrightBottom);
  panel->setGeometry(8, 8, width - 16, panel_height);
  Copyright_->setGeometry(kCopyrightLeft, kCopyrightTop, text_width, text_height);
  const int height = kHeight + panel_height - kPanelHeight;
  setFixedSize(width, height);
  if (texts.show_picture) ProgramImage_->setPixmap(AboutPicture(devicePixelRatioF()));

  OKButton_ = new QPushButton(QStringLiteral("OK"), this);
  OKButton_->setObjectName(QStringLiteral("OKButton"));
  OKButton_->setGeometry((width - 75) / 2, height - 34, 75, 25);
  OKButton_->setDefault(true);
  connect(OKButton_, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tarvello
