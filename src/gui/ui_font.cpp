#include "gui/ui_font.h"

#include <QStringList>

namespace tarvello {

QFont TarvelloFont() {
  QFont font;
  // fontconfig alone would map the first name to a face without Japanese glyphs, so
  // the installed gothics follow it.
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                    QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(12);
  return font;
}

}  // namespace tarvello
