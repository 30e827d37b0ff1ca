// main() of every test binary: a QCoreApplication for event loops and timers, and a fixed
// locale so texts with dates are stable whatever the machine's settings.

#include <QCoreApplication>
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
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FinishLeftoverWork);
    return RUN_ALL_TESTS();
}
