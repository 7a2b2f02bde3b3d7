// Test main for tests that need Qt: an application on the offscreen platform, and a settings
// store and a cache of this process's own under a temporary XDG_CONFIG_HOME, set before the first QSettings
// object exists.

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QTemporaryDir config;
    if (!config.isValid())
        return 2;
    ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CACHE_HOME", (config.path() + "/cache").toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 0);

    QApplication app(argc, argv);
    // Time texts as the tests expect them, whatever the machine's locale.
    QLocale::setDefault(QLocale::c());
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
