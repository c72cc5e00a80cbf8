// Qt's own French texts for its standard buttons and dialogs ("&Oui", "Annuler", "Enregistrer").
#pragma once

class QCoreApplication;

namespace cinevaro::ui {

// Installs Qt's French translations on the application; false when they are not installed
// (the standard buttons then stay in English).
bool installFrenchTranslations(QCoreApplication& app);

} // namespace cinevaro::ui
