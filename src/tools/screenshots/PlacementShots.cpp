// Maps of where the shell puts its windows: the main window and the three add panels beside
// the tray icon in each corner and along each side, with and without a work area, as the
// placement rules compute them. Drawn to scale, one desk a picture.

#include "AddPanelPlacement.h"
#include "KeyableWindow.h"
#include "ShotRig.h"
#include "Shots.h"
#include "WindowPlacement.h"
#include "addshow/AddShowFormView.h"
#include "addshow/AddShowResultsView.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr double kScale = 0.5;
constexpr int kFormHeight = 420; // a confirmed series with its notes: a tall form
constexpr QSize kPoster{180, 270};

struct Desk {
    const char* name;
    QRect screen;
    QRect icon;
    QRect workArea; // empty: no window manager publishes one
};

const Desk kDesks[] = {
    {"top-right", {0, 0, 1920, 1080}, {1860, 2, 24, 24}, {0, 28, 1920, 1052}},
    {"top-right-no-work-area", {0, 0, 1920, 1080}, {1860, 2, 24, 24}, {}},
    {"top-left", {0, 0, 1920, 1080}, {40, 2, 24, 24}, {0, 28, 1920, 1052}},
    {"bottom-right", {0, 0, 1920, 1080}, {1860, 1054, 24, 24}, {0, 0, 1920, 1052}},
    {"bottom-left-no-work-area", {0, 0, 1920, 1080}, {40, 1054, 24, 24}, {}},
    {"right-side", {0, 0, 1920, 1080}, {1894, 900, 24, 24}, {0, 0, 1892, 1080}},
    {"left-side", {0, 0, 1920, 1080}, {2, 900, 24, 24}, {28, 0, 1892, 1080}},
};

void box(QPainter& p, const QRectF& r, const QColor& colour, const QString& label) {
    QColor fill = colour;
    fill.setAlpha(150);
    p.setPen(QPen(colour.darker(140), 2));
    p.setBrush(fill);
    p.drawRoundedRect(r, 6, 6);
    p.setPen(Qt::black);
    p.drawText(r.adjusted(6, 4, -6, -4), Qt::AlignLeft | Qt::AlignTop, label);
}

QPixmap drawDesk(const Desk& d) {
    const QRect visible = d.workArea.isEmpty() ? d.screen : d.workArea;
    const MainWindowPlacement main =
        placeMainWindowNearIcon(d.screen, visible, KeyableWindow::kBodySize, d.icon, true);
    const QRectF window(main.topLeft, KeyableWindow::kBodySize);
    const QSizeF formSize(AddShowFormView::kWidth, kFormHeight);
    const QRectF form(AddPanelPlacement::form(window, formSize, visible), formSize);
    const QRectF results(AddPanelPlacement::results(form, AddShowResultsView::kSize, visible, d.icon),
                         QSizeF(AddShowResultsView::kSize));
    const QRectF poster(AddPanelPlacement::poster(form, kPoster, visible, results, d.icon), QSizeF(kPoster));

    QImage out((d.screen.size() * kScale), QImage::Format_ARGB32_Premultiplied);
    out.fill(QColor(0x5b, 0x6b, 0x7d));
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(kScale, kScale);
    p.translate(-d.screen.topLeft());
    QFont font = p.font();
    font.setPixelSize(26);
    p.setFont(font);
    if (!d.workArea.isEmpty()) { // the tray's panel: the screen outside the work area
        p.fillRect(d.screen, QColor(0x22, 0x22, 0x28));
        p.fillRect(d.workArea, QColor(0x5b, 0x6b, 0x7d));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xb0, 0x20));
    p.drawEllipse(QRectF(d.icon).adjusted(-4, -4, 4, 4));
    box(p, window, QColor(0xee, 0xee, 0xf2), QStringLiteral("Main window"));
    box(p, form, QColor(0x8f, 0xc7, 0xff), QStringLiteral("Form"));
    box(p, results, QColor(0xa8, 0xe6, 0xa1), QStringLiteral("Results"));
    box(p, poster, QColor(0xf5, 0xa3, 0xc7), QStringLiteral("Poster"));
    return QPixmap::fromImage(out);
}

} // namespace

void shootPlacements(ShotRig& rig) {
    for (const Desk& desk : kDesks)
        rig.save(drawDesk(desk), QStringLiteral("placement-") + QString::fromLatin1(desk.name));
}
