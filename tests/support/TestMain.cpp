// main() of every test binary: a QCoreApplication for event loops and timers, and a fixed
// locale so texts with dates are stable whatever the machine's settings. Built a second time
// with LUMIVANE_GUI_TESTS for the binaries that make widgets: a QApplication on the offscreen
// platform, unless the caller chose one.

#include <QCoreApplication>
#ifdef LUMIVANE_GUI_TESTS
#include <QApplication>
#endif
#include <QLocale>

#include <gtest/gtest.h>

namespace {

// Work a test left in flight when it ended (a request torn down with its client, a turn handed
// on to the next caller) finishes here, as it would in the running app, instead of being
// abandoned at exit, where the leak checker would rightly count it.
class FinishLeftoverWork : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }
};

} // namespace

int main(int argc, char** argv) {
#ifdef LUMIVANE_GUI_TESTS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FinishLeftoverWork);
    return RUN_ALL_TESTS();
}
