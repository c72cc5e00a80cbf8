#include "ui/StartArguments.h"

#include <QFile>
#include <QFileInfo>

#include "catalogue/Settings.h"
#include "ui/Prompts.h"

namespace cinevaro::ui {

bool adoptStartCatalogue(const QStringList& arguments, const std::string& settingsPath, Prompts& prompts)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument.startsWith(QLatin1Char('-')))
            continue;
        const QFileInfo file(argument);
        if (!file.isFile()) {
            prompts.warning(QStringLiteral("Attention"),
                            QStringLiteral("Le fichier ") + argument + QStringLiteral(" n'existe pas."));
            return false;
        }
        catalogue::Settings settings(settingsPath);
        if (!settings.writeString("GENERAL", "FICHIERBASE", QFile::encodeName(file.absoluteFilePath()).toStdString())) {
            prompts.warning(QStringLiteral("Attention"),
                            QStringLiteral("Impossible d'enregistrer le fichier de configuration ") +
                                QFile::decodeName(QByteArray::fromStdString(settingsPath)) + QLatin1Char('.'));
            return false;
        }
        return true;
    }
    return false;
}

} // namespace cinevaro::ui
