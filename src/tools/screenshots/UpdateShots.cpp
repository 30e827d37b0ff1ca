// The dialog that tells of a newer release, with its link and notes.

#include "ReleaseFeed.h"
#include "ShotRig.h"
#include "Shots.h"
#include "TrayShell.h"

#include <QCoreApplication>
#include <QMessageBox>

void shootUpdateDialog(ShotRig& rig) {
    UpdateResult result;
    result.kind = UpdateResult::Kind::newer;
    result.release = {QStringLiteral("0.10.0"),
                      QUrl(QStringLiteral("https://example.org/lumivane/releases/0.10.0")),
                      QStringLiteral("Movies tab, settings, calendar and the agenda panel.")};
    QMessageBox* box =
        TrayShell::showUpdateDialog(result.release, updateMessage(result, QStringLiteral("0.9.2")));
    QCoreApplication::processEvents();
    rig.save(box->grab(), QStringLiteral("update-dialog"));
    box->close();
}
