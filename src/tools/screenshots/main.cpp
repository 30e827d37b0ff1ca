// lumivane-screenshots: renders every built view in each of its states, light and dark, at
// scale 1 and 2, from a sample watchlist and without any network. Not part of the product.
//
//   lumivane-screenshots [output folder]   (default: ./screenshots)

#include "Shots.h"
#include "ShotRig.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The drawer and the add-series panels were first drawn in the platform's own font; they
    // keep it, so their pictures stay comparable.
    const QFont platformFont = QApplication::font();
    // A compact sans serif where the machine has one, as a desktop would give.
    for (const char* family : {"Inter", "Cantarell", "Noto Sans", "Nimbus Sans", "DejaVu Sans"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
            QApplication::setFont(QFont(QString::fromLatin1(family)));
            break;
        }
    }

    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    ShotRig rig(output);
    // One call per family of views.
    shootMainWindow(rig);
    shootSeriesList(rig);
    shootSettings(rig);
    shootCalendar(rig);
    shootFocusRings(rig);
    shootPlacements(rig);
    QApplication::setFont(platformFont);
    shootEpisodeDrawer(rig);
    shootAddSeries(rig);
    shootMovies(rig);
    shootUpdateDialog(rig);

    std::printf("%d pictures in %s\n", rig.shots(), qPrintable(output));
    return rig.shots() > 0 ? 0 : 1;
}
