// Shared by the output window tests: screenshots under the build folder.
#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace cinevaro::testing {

// Grabs a window to <build>/screenshots/<name>.png.
inline void screenshot(QWidget& window, const QString& name)
{
    const QString folder = QStringLiteral(CINEVARO_BUILD_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    EXPECT_TRUE(window.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace cinevaro::testing
