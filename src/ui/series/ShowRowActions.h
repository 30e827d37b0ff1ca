#pragma once

#include "Popover.h"
#include "ShowRowPart.h"
#include "api/Watchlist.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>

class QMenu;
class QWidget;
class ShowListModel;
class Theme;

// A series row's context menu and its popovers (the resolution, the release choice). What they
// offer comes from src/present; every choice goes to the store, the series found again by id
// because the list may change while they are open. One popover is open at a time.
class ShowRowActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowRowActions)

public:
    // Brings a row's control into view and says where it is on the screen.
    using Anchor = std::function<QRect(int row, ShowRowPart part)>;

    // Popovers open as children of `host`.
    ShowRowActions(const Watchlist& watchlist, Theme& theme, const ShowListModel& model,
                   QWidget* host, Anchor anchor);

    // The row's context menu, ready to show; the caller owns it.
    QMenu* contextMenu(int row, QWidget* parent);
    void openQualityPopover(int row);
    void openReleasePicker(int row);
    Popover* openPopover() const { return m_popover; }
    void closePopover();

private:
    void showPopover(Popover* popover, int row, ShowRowPart anchor);

    Watchlist m_watchlist;
    Theme& m_theme;
    const ShowListModel& m_model;
    QWidget* m_host;
    Anchor m_anchor;
    QPointer<Popover> m_popover;
};
