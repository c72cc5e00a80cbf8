// The catalogue named on the command line (`cinevaro FILE.cvo`, as the desktop entry passes it).
#pragma once

#include <QStringList>

#include <string>

namespace cinevaro::ui {

class Prompts;

// Makes the first file argument the last catalogue (GENERAL/FICHIERBASE of the settings file at
// settingsPath, absolute), so that start-up opens it as if chosen with "Ouvrir Base". Options
// (arguments starting with '-') are passed over. A file that does not exist is reported and the
// last catalogue is kept. Returns true when the setting was changed.
bool adoptStartCatalogue(const QStringList& arguments, const std::string& settingsPath, Prompts& prompts);

} // namespace cinevaro::ui
