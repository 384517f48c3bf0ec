#pragma once

// The header of lvTrackInfo: the sort image and the caption stand side by side and
// never overlap, and the header keeps one height whether an image is shown or not.

#include <QHeaderView>
#include <QRect>
#include <QSize>

namespace tarvello {

// Where a section's image and caption go.
struct HeaderSectionPlaces {
  QRect image;  // empty when the section shows no image
  QRect text;   // the caption is cut to this width
};

// Lays out a section of `section` with a caption `text_width` pixels wide and an image
// of `image` (empty for none), `margin` pixels inside each end. Left-aligned captions
// follow the image; right-aligned captions keep to the right end with the image just
// before them.
HeaderSectionPlaces PlaceHeaderSection(const QRect& section, int text_width, const QSize& image,
                                       bool right_aligned, int margin);

class TrackListHeader : public QHeaderView {
  Q_OBJECT

 public:
  explicit TrackListHeader(QWidget* parent = nullptr);

  // The height is that of a section with an image, so the rows never move.
  QSize sizeHint() const override;

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logical_index) const override;
};

}  // namespace tarvello
