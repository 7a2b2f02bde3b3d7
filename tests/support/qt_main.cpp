// Test main for tests that need Qt's event loop. Each test binary gets a settings store of its
// own under a temporary XDG_CONFIG_HOME, set before the first QSettings object exists.

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char* argv[])
{
    QTemporaryDir config;
    if (!config.isValid())
        return 2;
    ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);

    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
