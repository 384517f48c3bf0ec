#pragma once

// TCustomDragObject: the drag object of a row drag in the song list. It reports an image
// list that holds no image, so no picture of the rows follows the pointer and the drag
// shows itself by the cursor alone.

#include <QList>
#include <QPixmap>

namespace tarvello {

// The drag images of a row drag; made empty when the drag starts, gone when it ends.
using DragImageList = QList<QPixmap>;

class TCustomDragObject {
 public:
  explicit TCustomDragObject(const DragImageList& images) : images_(images) {}

  const DragImageList& GetDragImages() const { return images_; }
  // There is never an image to hide or show.
  void HideDragImage() const {}
  void ShowDragImage() const {}

 private:
  const DragImageList& images_;  // not owned
};

}  // namespace tarvello
