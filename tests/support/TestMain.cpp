#include <gtest/gtest.h>
#include <QApplication>

namespace testenv {
void InstallListener();
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    // The application is named after the program, as the real executable is.
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorvantic"));
    testenv::InstallListener();
    return RUN_ALL_TESTS();
}
