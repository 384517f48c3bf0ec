#pragma once

// Qt's own texts (file dialog, standard buttons, edit menus) in Japanese, to match the
// program's texts.

class QCoreApplication;

namespace tarvello {

// Installs Qt's Japanese translations from Qt's translation folder (package
// qt6-translations-l10n). Returns false when they are not installed; Qt's texts then
// stay English.
bool LoadQtTranslations(QCoreApplication& application);

}  // namespace tarvello
