#include <gtest/gtest.h>
#include <QApplication>
#include <clocale>

namespace testenv {
void InstallListener();
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    // The application is named after the program, as the real executable is.
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorvantic"));
    // The C library's locale comes from the environment, as in the program (QApplication
    // does the same on Unix; said once more so that no Qt version can take it away): under
    // a comma-decimal locale a conversion that leans on it fails its test.
    std::setlocale(LC_ALL, "");
    testenv::InstallListener();
    return RUN_ALL_TESTS();
}
