#include "ui/StartArguments.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

#include "catalogue/Settings.h"
#include "ui/Prompts.h"

namespace cinevaro::ui {

namespace {

// The first argument that is not an option (the program's own name left out), if any.
std::optional<QString> fileArgument(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (!arguments.at(i).startsWith(QLatin1Char('-')))
            return arguments.at(i);
    return std::nullopt;
}

} // namespace

bool adoptStartCatalogue(const QStringList& arguments, const std::string& settingsPath, Prompts& prompts)
{
    const std::optional<QString> argument = fileArgument(arguments);
    if (!argument)
        return false;
    const QFileInfo file(*argument);
    if (!file.isFile()) {
        prompts.warning(QStringLiteral("Attention"),
                        QStringLiteral("Le fichier ") + *argument + QStringLiteral(" n'existe pas."));
        return false;
    }
    catalogue::Settings settings(settingsPath);
    if (settings.writeString("GENERAL", "FICHIERBASE", QFile::encodeName(file.absoluteFilePath()).toStdString()))
        return true;
    prompts.warning(QStringLiteral("Attention"),
                    QStringLiteral("Impossible d'enregistrer le fichier de configuration ") +
                        QFile::decodeName(QByteArray::fromStdString(settingsPath)) + QLatin1Char('.'));
    return false;
}

} // namespace cinevaro::ui
