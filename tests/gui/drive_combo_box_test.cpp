// The drive box: only the user's selection reaches the presenter, and the drop-down
// widens to the longest caption. Also the artwork the window hands to its controls.

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <memory>
#include <vector>

#include "gui/drive_combo_box.h"
#include "gui/image_list.h"
#include "gui/ui_font.h"

namespace tarvello {

class DriveComboBoxTest : public QObject {
  Q_OBJECT

 private:
  static std::vector<DriveItem> Items(int count, const std::string& long_caption = {}) {
    std::vector<DriveItem> items;
    for (int i = 0; i < count; ++i) items.push_back({"vol" + std::to_string(i), DriveIcon::kFixed});
    if (!long_caption.empty() && !items.empty()) items.back().caption = long_caption;
    return items;
  }

  static QByteArray Pixels(const QIcon& icon) {
    const QImage image = icon.pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
    return QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
  }

 private slots:
  void ReportsOnlyTheUsersSelection() {
    DriveComboBox box;
    std::vector<int> changes;
    box.SetOnUserChange([&](int index) { changes.push_back(index); });

    box.SetDriveItems(Items(3));
    QCOMPARE(box.count(), 3);
    QCOMPARE(box.currentIndex(), -1);
    box.SetDriveIndex(2);
    QCOMPARE(box.currentIndex(), 2);
    box.SetDriveIndex(7);  // no such item: nothing selected
    QCOMPARE(box.currentIndex(), -1);
    box.SetDriveItems(Items(2));
    QVERIFY(changes.empty());

    // The keyboard changes the selection the way a user does.
    box.SetDriveIndex(0);
    box.setFocus();
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(box.currentIndex(), 1);
    QCOMPARE(changes, std::vector<int>{1});
  }

  void DropDownFitsTheLongestCaption() {
    DriveComboBox box;
    // A style whose lists open as wide as the box, so the widening is the box's own.
    std::unique_ptr<QStyle> style(QStyleFactory::create("Windows"));
    QVERIFY(style != nullptr);
    box.setStyle(style.get());
    box.setFont(TarvelloFont());
    box.resize(60, box.sizeHint().height());
    const std::string long_caption = "とても長いボリュームの名前 (/media/someone/CARD)";
    box.SetDriveItems(Items(3, long_caption));
    const QFontMetrics metrics(box.font());
    const int text = metrics.horizontalAdvance(QString::fromStdString(long_caption));
    QCOMPARE(box.DropDownWidth(), text + 32);

    // More items than the eight visible ones leave room for the scroll bar.
    box.SetDriveItems(Items(9, long_caption));
    QCOMPARE(box.DropDownWidth(), text + 32 + box.style()->pixelMetric(QStyle::PM_ScrollBarExtent));

    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.showPopup();
    QVERIFY(box.view()->window()->isVisible());
    QVERIFY(box.view()->window()->width() >= box.DropDownWidth());
    box.hidePopup();
  }

  void ArtworkIsDistinct() {
    ImageList images;
    QSet<QByteArray> seen;
    for (int i = 0; i < images.Count(); ++i) {
      QCOMPARE(images.Icon(i).pixmap(16).size(), QSize(16, 16));
      seen.insert(Pixels(images.Icon(i)));
    }
    QCOMPARE(seen.size(), images.Count());
    QVERIFY(images.Icon(images.Count()).isNull());
    QVERIFY(images.Icon(-1).isNull());

    QSet<QByteArray> drive_icons;
    for (DriveIcon icon : {DriveIcon::kFloppy, DriveIcon::kRemovable, DriveIcon::kFixed,
                           DriveIcon::kNetwork, DriveIcon::kCdRom, DriveIcon::kRamDisk}) {
      QVERIFY(!DriveIconFor(icon).isNull());
      drive_icons.insert(Pixels(DriveIconFor(icon)));
    }
    QCOMPARE(drive_icons.size(), 6);
  }
};

}  // namespace tarvello

QTEST_MAIN(tarvello::DriveComboBoxTest)
#include "drive_combo_box_test.moc"
