// The real message boxes and dialogs.
#pragma once

#include "ui/Prompts.h"

namespace cinevaro::ui {

class QtPrompts : public Prompts
{
public:
    void information(const QString& caption, const QString& text) override;
    void warning(const QString& caption, const QString& text) override;
    void error(const QString& text) override;
    void errorBox(const QString& caption, const QString& text, Modality modality) override;
    bool question(const QString& caption, const QString& text) override;
    std::optional<QString> input(const QString& caption, const QString& prompt, const QString& value) override;
    QString openFileName(const QString& caption, const QString& filter, const QString& dir) override;
    SaveChoice saveFile(const QString& caption, const QString& filter, const QString& defaultSuffix, const QString& dir,
                        bool confirmOverwrite) override;
    QString pictureFileName(const QString& caption, const QString& dir) override;
    QString folderName(const QString& caption, const QString& dir) override;
    int runModal(QDialog& dialog) override;
};

} // namespace cinevaro::ui
