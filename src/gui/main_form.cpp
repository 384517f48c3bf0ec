#include "gui/main_form.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <algorithm>

#include "app/window_layout.h"
#include "gui/about_dialog.h"
#include "gui/backup_dialog.h"
#include "gui/capacity_bar.h"
#include "gui/desktop_notifier.h"
#include "gui/drive_combo_box.h"
#include "gui/program_icon.h"
#include "gui/playlist_combo_box.h"
#include "gui/progress_form.h"
#include "gui/property_form.h"
#include "gui/readable_palette.h"
#include "gui/status_bar.h"
#include "gui/track_list_header.h"
#include "gui/track_list_model.h"
#include "gui/track_list_view.h"
#include "gui/ui_font.h"
#include "gui/update_bar.h"
#include "gui/wait_cursor.h"
#include "output/output_options.h"

namespace tarvello {
namespace {

// The folder button takes the desktop style's folder icon.
constexpr int kGlyphFolder = -1;

constexpr int kToolButtonWidth = 25;
constexpr int kToolButtonHeight = 23;
constexpr int kToolSeparatorWidth = 8;
constexpr int kListTop = 29;
constexpr int kStatusBarHeight = 23;

QRect OuterRectangle(const WindowGeometry& geometry) {
  return QRect(geometry.left, geometry.top, geometry.width, geometry.height);
}

QString Text(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

int Index(Command command) {
  return static_cast<int>(command);
}

// Paths of the local files a drag carries, as native bytes.
std::vector<std::string> LocalPaths(const QMimeData* mime) {
  std::vector<std::string> paths;
  if (mime == nullptr || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  return paths;
}

}  // namespace

TMainForm::TMainForm(Platform& platform, QWidget* parent) : QMainWindow(parent), dialogs_(this) {
  setObjectName(QStringLiteral("TMainForm"));
  // Menus, boxes and dialogs are windows of their own and take the application's font.
  QApplication::setFont(TarvelloFont());
  setFont(TarvelloFont());
  setWindowIcon(ProgramIcon());
  setPalette(WithReadableDisabledText(QApplication::palette()));

  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(client_);
  client_->installEventFilter(this);

  presenter_ = std::make_unique<MainPresenter>(platform, *this, NumberSymbols::FromLocale(),
                                               MakeLocaleCollator());
  CreateActions();
  CreateMenus();
  CreatePopupMenu();
  CreateControls(client_);
  CreateToolBar(client_);
  CreateUpdateBar(client_);
  WireListEvents();
  presenter_->SetCardSyncView(this);

  Timer1_ = new QTimer(this);
  Timer1_->setObjectName(QStringLiteral("Timer1"));
  Timer1_->setSingleShot(true);
  connect(Timer1_, &QTimer::timeout, this, [this] { presenter_->Timer1Timer(); });
}

TMainForm::~TMainForm() {
  // A window destroyed without being closed still hands its settings over.
  FormDestroy();
  destroyed_ = true;
  Timer1_->stop();
  // The base class hides the children after the presenter and its rows are gone; the
  // list must not ask for them then.
  lvTrackInfo_->setModel(nullptr);
  delete model_;
  model_ = nullptr;
}

void TMainForm::Start() {
  if (started_) return;
  started_ = true;
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  presenter_->FormCreate({available.width(), available.height(), available.x(), available.y()});
}

void TMainForm::SetDialogResponder(DialogResponder responder) {
  dialogs_.SetResponder(std::move(responder));
}

void TMainForm::WatchMounts(MountWatcher* watcher) {
  if (watcher == nullptr || watcher->Handle() < 0) return;
  auto* notifier = new QSocketNotifier(watcher->Handle(), QSocketNotifier::Exception, this);
  notifier->setObjectName(QStringLiteral("MountNotifier"));
  connect(notifier, &QSocketNotifier::activated, this, [this, watcher] {
    if (watcher->Acknowledge()) presenter_->VolumesChanged();
  });
}

void TMainForm::SetVolumeEjector(VolumeEjector* ejector) {
  presenter_->SetVolumeEjector(ejector);
}

QAction* TMainForm::CommandAction(Command command) const {
  const int index = Index(command);
  return index >= 0 && index < kCommandCount ? actions_[index] : nullptr;
}

// Commands, menus and the tool bar.

QAction* TMainForm::MakeAction(Command command, const char* name, const char* caption,
                               const QKeySequence& shortcut, void (MainPresenter::*handler)()) {
  auto* action = new QAction(QString::fromUtf8(caption), this);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  if (handler != nullptr) {
    connect(action, &QAction::triggered, this, [this, handler] { (presenter_.get()->*handler)(); });
  }
  actions_[Index(command)] = action;
  return action;
}

void TMainForm::CreateActions() {
  using P = MainPresenter;
  MakeAction(Command::kAdd1, "Add1", "追加(&A)...", QKeySequence(Qt::CTRL | Qt::Key_O),
             &P::Add1Click);
  MakeAction(Command::kImport1, "Import1", "iTunesプレイリストを読み込む(&I)", {},
             &P::Import1Click);
  MakeAction(Command::kDest1, "Dest1", "出力先から取り込む(&D)", {}, &P::Dest1Click);
  MakeAction(Command::kExecute1, "Execute1", "出力実行(&E)", {}, &P::Execute1Click);
  MakeAction(Command::kEject1, "Eject1", "カードを取り出す(&J)", {}, &P::Eject1Click);
  MakeAction(Command::kRestore1, "Restore1", "バックアップから戻す(&R)...", {}, &P::Restore1Click);
  MakeAction(Command::kProperty1, "Property1", "プロパティ(&G)", QKeySequence(Qt::CTRL | Qt::Key_I),
             &P::Property1Click);
  QAction* exit = MakeAction(Command::kExit1, "Exit1", "終了(&X)", {}, nullptr);
  connect(exit, &QAction::triggered, this, &QWidget::close);

  MakeAction(Command::kCheck1, "Check1", "選択行を出力対象にする(&S)", {}, &P::Check1Click);
  MakeAction(Command::kUncheck1, "Uncheck1", "選択行を出力対象から外す(&U)", {}, &P::Uncheck1Click);
  QAction* delete_rows = MakeAction(Command::kDelete1, "Delete1", "削除(&D)",
                                    QKeySequence(Qt::CTRL | Qt::Key_Delete), &P::Delete1Click);
  // The plain Delete key too; the menu shows the first.
  delete_rows->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Delete), QKeySequence(Qt::Key_Delete)});
  QAction* select_all = MakeAction(Command::kSelectAll1, "SelectAll1", "すべて選択(&A)",
                                   QKeySequence(Qt::CTRL | Qt::Key_A), nullptr);
  connect(select_all, &QAction::triggered, this, [this] { lvTrackInfo_->selectAll(); });
  QAction* select_none =
      MakeAction(Command::kSelectNon1, "SelectNon1", "何も選択しない(&N)", {}, nullptr);
  connect(select_none, &QAction::triggered, this, [this] { lvTrackInfo_->clearSelection(); });
  MakeAction(Command::kOption1, "Option1", "オプション(&O)...", {}, &P::Option1Click);

  MakeAction(Command::kUnOrder1, "UnOrder1", "追加順に表示(&U)", QKeySequence(Qt::CTRL | Qt::Key_U),
             &P::UnOrder1Click);
  MakeAction(Command::kRefresh1, "Refresh1", "最新の情報に更新(&R)", QKeySequence(Qt::Key_F5),
             &P::Refresh1Click);
  MakeAction(Command::kAbout1, "About1", "バージョン情報(&A)", {}, &P::About1Click);

  MakeAction(Command::kProperty2, "Property2", "プロパティ(&G)", {}, &P::Property1Click);
  MakeAction(Command::kCheck2, "Check2", "出力対象にする(&S)", {}, &P::Check1Click);
  MakeAction(Command::kUncheck2, "Uncheck2", "出力対象から外す(&U)", {}, &P::Uncheck1Click);
  MakeAction(Command::kDelete2, "Delete2", "削除(&D)", {}, &P::Delete1Click);
}

void TMainForm::CreateMenus() {
  auto add_menu = [this](const char* name, const char* caption) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
  };
  auto action = [this](Command command) { return CommandAction(command); };

  QMenu* file = add_menu("File1", "ファイル(&F)");
  file->addAction(action(Command::kAdd1));
  // Not among the commands whose enabling the presenter keeps: a folder can always be chosen.
  QAction* add_folder = file->addAction(QStringLiteral("フォルダを追加(&F)..."));
  add_folder->setObjectName(QStringLiteral("AddFolder1"));
  connect(add_folder, &QAction::triggered, this, [this] { presenter_->AddFolder1Click(); });
  file->addActions({action(Command::kImport1), action(Command::kDest1)});
  file->addSeparator();
  file->addActions({action(Command::kExecute1), action(Command::kEject1)});
  file->addAction(action(Command::kRestore1));
  // Enabled by the presenter with the drive choice, like the commands above.
  CardContent1_ = file->addAction(QStringLiteral("カードの内容(&C)..."));
  CardContent1_->setObjectName(QStringLiteral("CardContent1"));
  CardContent1_->setEnabled(false);
  connect(CardContent1_, &QAction::triggered, this, [this] { presenter_->CardContent1Click(); });
  file->addSeparator();
  file->addAction(action(Command::kProperty1));
  file->addSeparator();
  file->addAction(action(Command::kExit1));

  QMenu* edit = add_menu("Edit1", "編集(&E)");
  edit->addActions(
      {action(Command::kCheck1), action(Command::kUncheck1), action(Command::kDelete1)});
  edit->addSeparator();
  edit->addActions({action(Command::kSelectAll1), action(Command::kSelectNon1)});
  edit->addSeparator();
  edit->addAction(action(Command::kOption1));

  QMenu* show = add_menu("Show1", "表示(&V)");
  show->addAction(action(Command::kUnOrder1));
  show->addSeparator();
  show->addAction(action(Command::kRefresh1));

  QMenu* help = add_menu("Help1", "ヘルプ(&H)");
  help->addAction(action(Command::kAbout1));
}

void TMainForm::CreatePopupMenu() {
  // Shown by the list's own right-click handling, not by Qt's context menu policy.
  PopupMenu1_ = new QMenu(this);
  PopupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
  PopupMenu1_->addAction(CommandAction(Command::kProperty2));
  PopupMenu1_->addSeparator();
  PopupMenu1_->addActions({CommandAction(Command::kCheck2), CommandAction(Command::kUncheck2),
                           CommandAction(Command::kDelete2)});
}

void TMainForm::CreateToolBar(QWidget* client) {
  ToolBar1_ = new QWidget(client);
  ToolBar1_->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1_->setGeometry(313, 0, 170, kListTop);

  struct Button {
    const char* name;
    const char* hint;
    int glyph;
    void (MainPresenter::*handler)();
    bool separator_before;
  };
  using P = MainPresenter;
  const Button buttons[] = {
      {"ToolButtonAdd", "追加", kGlyphAdd, &P::Add1Click, false},
      {"ToolButtonAddFolder", "フォルダを追加", kGlyphFolder, &P::AddFolder1Click, false},
      {"ToolButtonImport", "ｉＴｕｎｅsプレイリストを読み込む", kGlyphImportPlaylist,
       &P::Import1Click, false},
      {"ToolButtonRefresh", "最新の情報に更新", kGlyphRefresh, &P::Refresh1Click, true},
      {"ToolButtonDest", "出力先から取り込む", kGlyphImportOutput, &P::Dest1Click, true},
      {"ToolButtonExecute", "出力実行", kGlyphExecute, &P::Execute1Click, false},
  };
  int left = 0;
  for (const Button& button : buttons) {
    if (button.separator_before) left += kToolSeparatorWidth;
    // Each button has its own action: the menu items' enabling never reaches it.
    const QIcon icon = button.glyph == kGlyphFolder ? style()->standardIcon(QStyle::SP_DirOpenIcon)
                                                    : ImageList1_.Icon(button.glyph);
    auto* action = new QAction(icon, QString::fromUtf8(button.hint), ToolBar1_);
    action->setToolTip(QString::fromUtf8(button.hint));
    const auto handler = button.handler;
    connect(action, &QAction::triggered, this, [this, handler] { (presenter_.get()->*handler)(); });
    auto* tool = new QToolButton(ToolBar1_);
    tool->setObjectName(QString::fromLatin1(button.name));
    tool->setDefaultAction(action);
    tool->setAutoRaise(true);
    tool->setIconSize(QSize(16, 16));
    tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tool->setGeometry(left, 2, kToolButtonWidth, kToolButtonHeight);
    left += kToolButtonWidth;
  }
}

void TMainForm::CreateControls(QWidget* client) {
  Panel1_ = new QFrame(client);
  Panel1_->setObjectName(QStringLiteral("Panel1"));
  Panel1_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  Panel1_->setLineWidth(1);
  Panel1_->setGeometry(0, 0, client->width(), 2);

  Label2_ = new QLabel(QStringLiteral("iTunesプレイリスト"), client);
  Label2_->setObjectName(QStringLiteral("Label2"));
  Label2_->move(8, 9);
  Label2_->adjustSize();

  cbPlayLists_ = new PlaylistComboBox(client);
  cbPlayLists_->setObjectName(QStringLiteral("cbPlayLists"));
  cbPlayLists_->setGeometry(108, 5, 197, cbPlayLists_->sizeHint().height());
  cbPlayLists_->SetOnDropDown([this] { presenter_->cbPlayListsDropDown(); });
  // activated: the user's choice only, never a selection made by the program.
  connect(cbPlayLists_, &QComboBox::activated, this,
          [this](int index) { presenter_->cbPlayListsChange(index); });

  lvTrackInfo_ = new TrackListView(client);
  lvTrackInfo_->setObjectName(QStringLiteral("lvTrackInfo"));
  lvTrackInfo_->setRootIsDecorated(false);
  lvTrackInfo_->setItemsExpandable(false);
  lvTrackInfo_->setUniformRowHeights(true);
  lvTrackInfo_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvTrackInfo_->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvTrackInfo_->setAllColumnsShowFocus(true);
  lvTrackInfo_->setIconSize(QSize(16, 16));
  lvTrackInfo_->setSortingEnabled(false);
  lvTrackInfo_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvTrackInfo_->setContextMenuPolicy(Qt::PreventContextMenu);
  // The selection stays as visible when the list loses the focus.
  QPalette palette = lvTrackInfo_->palette();
  for (auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setBrush(QPalette::Inactive, role, palette.brush(QPalette::Active, role));
  }
  lvTrackInfo_->setPalette(palette);
  lvTrackInfo_->setHeader(new TrackListHeader(lvTrackInfo_));
  model_ = new TrackListModel(presenter_->Rows(), ImageList1_, this);
  lvTrackInfo_->setModel(model_);
  QHeaderView* header = lvTrackInfo_->header();
  header->setSortIndicatorShown(false);
  header->setSectionsClickable(true);
  header->setSectionsMovable(false);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(0);
  header->setDefaultSectionSize(kDefaultColumnWidth);
  for (int column = 0; column < kColumnCount; ++column) {
    header->resizeSection(column, kDefaultColumnWidth);
  }
  connect(header, &QHeaderView::sectionClicked, this,
          [this](int column) { presenter_->lvTrackInfoColumnClick(column); });
  lvTrackInfo_->move(0, kListTop);

  Label1_ = new QLabel(QStringLiteral("出力先"), client);
  Label1_->setObjectName(QStringLiteral("Label1"));
  Label1_->adjustSize();

  cbxDrives_ = new DriveComboBox(client);
  cbxDrives_->setObjectName(QStringLiteral("cbxDrives"));
  cbxDrives_->resize(253, cbxDrives_->sizeHint().height());
  cbxDrives_->SetOnUserChange([this](int index) { presenter_->cbxDrivesChange(index); });

  lbOutDir_ = new QLabel(QString::fromLatin1(kDefaultOutDir.data(), kDefaultOutDir.size()), client);
  lbOutDir_->setObjectName(QStringLiteral("lbOutDir"));
  lbOutDir_->setTextFormat(Qt::PlainText);
  lbOutDir_->adjustSize();

  StatusBar1_ = new StatusBar(client);
  StatusBar1_->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1_->SetPanelAlignment(1, Qt::AlignLeft);
}

void TMainForm::CreateUpdateBar(QWidget* client) {
  UpdateBar1_ = new UpdateBar(client);
  connect(UpdateBar1_, &UpdateBar::UpdateRequested, this,
          [this] { presenter_->UpdateCardClick(); });
  connect(UpdateBar1_, &UpdateBar::Dismissed, this, [this] { presenter_->NotNowClick(); });
}

// The list's own events: the selection, the icon click, the context menu and the drop.
void TMainForm::WireListEvents() {
  connect(lvTrackInfo_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (!closing_ && !destroyed_) presenter_->lvTrackInfoSelectItem();
  });
  lvTrackInfo_->on_icon_click = [this](int row) { presenter_->lvTrackInfoIconClick(row); };
  lvTrackInfo_->on_context_menu = [this](const QPoint& position) { PopupMenu1_->popup(position); };
  lvTrackInfo_->on_toggle_marks = [this] { presenter_->ToggleSelectedMarks(); };
  // The properties command decides, by its enabling, whether the row can be opened.
  lvTrackInfo_->on_open_row = [this](int) { CommandAction(Command::kProperty1)->trigger(); };
  lvTrackInfo_->on_drop = [this](const std::vector<int>& selected, int target_row) {
    return presenter_->lvTrackInfoDragDrop(selected, target_row);
  };
}

// Layout.

bool TMainForm::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Expose:
    case QEvent::WindowActivate:
      FollowFrame();
      break;
    case QEvent::ApplicationPaletteChange:
      setPalette(WithReadableDisabledText(QApplication::palette()));
      break;
    default:
      break;
  }
  return handled;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) FormResize();
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::FormResize() {
  if (closing_ || QCoreApplication::closingDown()) return;
  const int width = client_->width();
  const MainLayout layout = LayOutMainWindow(client_->height(), width);
  Panel1_->setGeometry(0, 0, width, 2);
  // The update bar, while shown, takes the top of the list's place.
  const int bar = UpdateBar1_->isVisible() ? UpdateBar1_->BarHeight() : 0;
  UpdateBar1_->setGeometry(0, kListTop, width, bar);
  lvTrackInfo_->setGeometry(0, kListTop + bar, std::max(layout.list_width, 0),
                            std::max(layout.list_height - bar, 0));
  Label1_->move(8, layout.label_top);
  cbxDrives_->move(52, layout.drives_top);
  lbOutDir_->move(310, layout.out_dir_top);
  StatusBar1_->setGeometry(0, layout.status_top, std::max(layout.status_width, 0),
                           kStatusBarHeight);
  StatusBar1_->SetFirstPanelWidth(layout.panel_widths[0]);
}

// Life cycle.

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous() && !shown_) {
    shown_ = true;
    ApplyPlacement();
  }
}

void TMainForm::closeEvent(QCloseEvent* event) {
  FormDestroy();
  event->accept();
}

void TMainForm::FormDestroy() {
  if (destroyed_ || !started_) return;
  destroyed_ = true;
  closing_ = true;
  Timer1_->stop();
  const QRect outer = frameGeometry();
  ExitGeometry exit;
  exit.window = {outer.left(), outer.top(), outer.width(), outer.height()};
  for (int column = 0; column < kColumnCount; ++column) {
    exit.column_widths[column] = lvTrackInfo_->header()->sectionSize(column);
  }
  presenter_->FormDestroy(exit);
}

// Dropped files.

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalPaths(event->mimeData()).empty()) event->acceptProposedAction();
}

void TMainForm::dragMoveEvent(QDragMoveEvent* event) {
  if (!LocalPaths(event->mimeData()).empty()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths = LocalPaths(event->mimeData());
  if (paths.empty()) return;
  event->acceptProposedAction();
  // The files are read after the drag has ended, so the source is not kept waiting
  // behind message boxes.
  QMetaObject::invokeMethod(
      this,
      [this, paths = std::move(paths)] {
        if (!destroyed_) presenter_->FilesDropped(paths);
      },
      Qt::QueuedConnection);
}

// MainView: window and controls.

void TMainForm::SetCaption(const std::string& caption) {
  setWindowTitle(Text(caption));
}

void TMainForm::PlaceWindow(const WindowGeometry& geometry) {
  placement_ = geometry;
  ApplyPlacement();
}

void TMainForm::ApplyPlacement() {
  if (!placement_) return;
  // The geometry is the outer rectangle, frame included; the inside gets what the frame
  // leaves. Until the window manager has framed the window the frame counts as nothing,
  // so the placement is applied again once the frame is known (FollowFrame).
  const QRect outer = OuterRectangle(*placement_);
  const QSize frame = frameGeometry().size() - size();
  frame_known_ = frame.width() > 0 || frame.height() > 0;
  move(outer.topLeft());
  resize(std::max(outer.width() - frame.width(), 0), std::max(outer.height() - frame.height(), 0));
}

void TMainForm::FollowFrame() {
  if (!placement_ || frame_known_ || !shown_ || closing_) return;
  if (frameGeometry().size() == size()) return;  // not framed yet
  ApplyPlacement();
}

void TMainForm::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= kColumnCount) return;
  lvTrackInfo_->header()->resizeSection(column, std::max(width, 0));
}

void TMainForm::SetOutDirLabel(const std::string& text) {
  lbOutDir_->setText(Text(text));
  lbOutDir_->adjustSize();
}

void TMainForm::SetStatusText(int panel, const std::string& text) {
  StatusBar1_->SetPanelText(panel, Text(text));
}

void TMainForm::SetCommandEnabled(Command command, bool enabled) {
  if (QAction* action = CommandAction(command)) action->setEnabled(enabled);
}

bool TMainForm::IsCommandEnabled(Command command) const {
  const QAction* action = CommandAction(command);
  return action != nullptr && action->isEnabled();
}

void TMainForm::ArmStartupTimer(int milliseconds) {
  Timer1_->start(std::max(milliseconds, 0));
}

void TMainForm::AcceptDroppedFiles() {
  setAcceptDrops(true);
}

void TMainForm::SetDriveItems(const std::vector<DriveItem>& items) {
  cbxDrives_->SetDriveItems(items);
}

void TMainForm::SetDriveIndex(int index) {
  cbxDrives_->SetDriveIndex(index);
}

int TMainForm::DriveIndex() const {
  return cbxDrives_->currentIndex();
}

bool TMainForm::PlaylistBoxEnabled() const {
  return cbPlayLists_->isEnabled();
}

int TMainForm::PlaylistIndex() const {
  return cbPlayLists_->currentIndex();
}

void TMainForm::SetPlaylistIndex(int index) {
  cbPlayLists_->setCurrentIndex(index >= 0 && index < cbPlayLists_->count() ? index : -1);
}

void TMainForm::SetPlaylistItems(const std::vector<std::string>& names) {
  cbPlayLists_->SetItems(names);
}

void TMainForm::SetPlaylistBoxEnabled(bool enabled) {
  Label2_->setEnabled(enabled);
  cbPlayLists_->SetBoxEnabled(enabled);
}

std::vector<int> TMainForm::PlaylistItemWidths() const {
  return cbPlayLists_->ItemWidths();
}

int TMainForm::VerticalScrollBarWidth() const {
  return style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

void TMainForm::SetPlaylistDropDownWidth(int width) {
  cbPlayLists_->SetDropDownWidth(width);
}

// MainView: the song list.

void TMainForm::RowsAppended(int, int) {
  model_->RowsAppended();
}

void TMainForm::RowsChanged(int first, int last) {
  model_->RowsChanged(first, last);
}

void TMainForm::RowsReset() {
  model_->RowsReset();
}

void TMainForm::RowsAboutToMove() {
  model_->RowsAboutToMove();
}

void TMainForm::RowsMoved() {
  model_->RowsMoved();
}

void TMainForm::HeaderImagesChanged() {
  model_->HeaderImagesChanged();
}

void TMainForm::FocusRow(int row) {
  const QModelIndex index = model_->index(row, 0);
  if (!index.isValid()) return;
  if (!lvTrackInfo_->hasFocus()) lvTrackInfo_->setFocus();
  lvTrackInfo_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  lvTrackInfo_->scrollTo(index);
}

std::vector<int> TMainForm::SelectedRows() const {
  return lvTrackInfo_->SelectedRows();
}

// MainView: boxes, dialogs and long work.

void TMainForm::ShowInformation(const std::string& text) {
  dialogs_.ShowInformation(text);
}

bool TMainForm::Confirm(const std::string& text) {
  return dialogs_.Confirm(text);
}

YesNoCancel TMainForm::AskYesNoCancel(const std::string& text) {
  return dialogs_.AskYesNoCancel(text);
}

std::optional<std::vector<std::string>> TMainForm::ChooseFiles(const OpenFileRequest& request) {
  return dialogs_.ChooseFiles(request);
}

void TMainForm::ShowPropertyDialog(const TrackProperties& properties) {
  TPropertyForm form(properties, this);
  form.exec();
}

std::optional<OptionFormValues> TMainForm::ShowOptionDialog(const OptionDialogRequest& request) {
  TOptionForm form(request, folder_chooser_, this);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.Values();
}

void TMainForm::SetCapacity(const CardCapacity& capacity, const std::string& tooltip) {
  StatusBar1_->Capacity()->SetCapacity(capacity, QString::fromUtf8(tooltip.c_str()));
}

std::optional<BackupChoice> TMainForm::ShowBackupDialog(const BackupDialogRequest& request) {
  TBackupForm form(request, this);
  form.exec();
  return form.Choice();
}

void TMainForm::ShowAboutDialog(const std::optional<VersionInfo>& version) {
  TAboutDialog dialog(kApplicationTitle, version, this);
  dialog.exec();
}

std::unique_ptr<CursorGuard> TMainForm::ShowWaitCursor() {
  return std::make_unique<WaitCursor>();
}

std::optional<std::string> TMainForm::ChooseFolder(const std::string& title) {
  std::string folder;
  if (folder_chooser_) {
    if (!folder_chooser_(folder)) return std::nullopt;
    return folder;
  }
  const QString chosen = QFileDialog::getExistingDirectory(this, Text(title));
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen).toStdString();
}

void TMainForm::CallSoon(std::function<void()> work) {
  // Queued to this window: Qt drops it if the window is gone first.
  QMetaObject::invokeMethod(
      this,
      [this, work = std::move(work)] {
        if (!destroyed_) work();
      },
      Qt::QueuedConnection);
}

void TMainForm::ProcessEvents() {
  QCoreApplication::processEvents();
}

void TMainForm::RunWithProgress(const std::function<void(OutputProgress&)>& work) {
  // The hourglass of the command must not hide that the cancel button can be clicked.
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  struct RestoreCursor {
    ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
  } restore;
  RunWithProgressDialog(this, work, [this](const std::string& text) { ShowInformation(text); });
}

// CardSyncView.

void TMainForm::SetCardContentEnabled(bool enabled) {
  CardContent1_->setEnabled(enabled);
}

CardProfileChoosers TMainForm::CardChoosers() {
  if (card_choosers_.playlist_file || card_choosers_.folder) return card_choosers_;
  CardProfileChoosers choosers;
  choosers.playlist_file = [this]() -> std::optional<std::string> {
    const auto files =
        ChooseFiles({"プレイリストファイルを選択",
                     "プレイリスト (*.m3u;*.m3u8;*.pls;*.xspf)|*.m3u;*.m3u8;*.pls;*.xspf", false});
    if (!files || files->empty()) return std::nullopt;
    return files->front();
  };
  choosers.folder = [this] { return ChooseFolder("フォルダを選択"); };
  return choosers;
}

std::optional<CardProfileForm> TMainForm::ShowCardProfileDialog(const CardProfileRequest& request) {
  if (card_profile_responder_) return card_profile_responder_(request);
  TCardProfileForm form(request, CardChoosers(), this);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return form.Values();
}

void TMainForm::ShowUpdateBar(const std::string& text, const std::string& details) {
  UpdateBar1_->ShowPlan(Text(text));
  UpdateBar1_->setToolTip(Text(details));
  FormResize();
}

void TMainForm::HideUpdateBar() {
  if (UpdateBar1_->isHidden()) return;
  UpdateBar1_->hide();
  FormResize();
}

bool TMainForm::AskChoice(const std::string& text, const std::string& accept) {
  return dialogs_.AskChoice(text, accept);
}

bool TMainForm::WindowActive() const {
  return QApplication::activeWindow() != nullptr;
}

bool TMainForm::Notify(const std::string& summary, const std::string& body) {
  return notifier_ != nullptr && notifier_->Notify(Text(summary), Text(body));
}

}  // namespace tarvello
