// One main() for every test executable: a QApplication exists for the tests
// that build widgets, and the offscreen platform keeps them off any display.
#include <QApplication>
#include <gmock/gmock.h>
#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
