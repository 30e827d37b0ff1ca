#include "ShowRowActions.h"

#include "QualityPopover.h"
#include "ReleasePickPopover.h"
#include "ShowListModel.h"
#include "ShowRowText.h"
#include "Theme.h"

#include <QMenu>

namespace {

const Show* findShow(const PublishedState& state, const QUuid& id) {
    for (const Show& show : state.shows()) {
        if (show.id == id)
            return &show;
    }
    return nullptr;
}

} // namespace

ShowRowActions::ShowRowActions(const Watchlist& watchlist, Theme& theme, const ShowListModel& model,
                               QWidget* host, Anchor anchor)
    : QObject(host)
    , m_watchlist(watchlist)
    , m_theme(theme)
    , m_model(model)
    , m_host(host)
    , m_anchor(std::move(anchor)) {}

QMenu* ShowRowActions::contextMenu(int row, QWidget* parent) {
    using A = ShowRowText::MenuAction;
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("showContextMenu"));
    menu->setPalette(m_theme.palette());
    const QUuid id = m_model.row(row).id;
    for (const ShowRowText::MenuItem& item : m_model.menuItems(row)) {
        if (item.action == A::separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.label);
        // The series is found again by id: the list may have changed while the menu was open.
        connect(action, &QAction::triggered, this, [this, id, action = item.action] {
            const Show* show = findShow(m_watchlist.state, id);
            if (!show)
                return;
            switch (action) {
            case A::toggleSubscription:
                m_watchlist.operations.setSubscribed(id, !ShowRowText::isSubscribed(*show));
                break;
            case A::choosePick:
                if (const int r = m_model.rowOf(id); r >= 0)
                    openReleasePicker(r);
                break;
            case A::dismissPick:
                m_watchlist.operations.dismissQualityPick(id);
                break;
            case A::searchNow:
                m_watchlist.operations.searchNow(id);
                break;
            case A::clearStatus:
                m_watchlist.operations.clearStatus(id);
                break;
            case A::remove:
                m_watchlist.operations.removeShow(id);
                break;
            case A::separator:
                break;
            }
        });
    }
    return menu;
}

void ShowRowActions::closePopover() {
    if (m_popover)
        m_popover->close();
}

void ShowRowActions::showPopover(Popover* popover, int row, ShowRowPart anchor) {
    closePopover();
    m_popover = popover;
    popover->popUpBelow(m_anchor(row, anchor));
}

void ShowRowActions::openQualityPopover(int row) {
    const QUuid id = m_model.row(row).id;
    const Show* show = findShow(m_watchlist.state, id);
    if (!show)
        return;
    auto* popover = new QualityPopover(m_theme, show->quality, m_host);
    connect(popover, &QualityPopover::chosen, this, [this, id](Show::Quality quality) {
        m_watchlist.operations.setShowQuality(id, quality);
    });
    showPopover(popover, row, ShowRowPart::qualityPill);
}

void ShowRowActions::openReleasePicker(int row) {
    const QUuid id = m_model.row(row).id;
    const Show* show = findShow(m_watchlist.state, id);
    const auto pick = m_watchlist.state.pendingQualityPicks().constFind(id);
    if (!show || pick == m_watchlist.state.pendingQualityPicks().cend())
        return;
    auto* popover = new ReleasePickPopover(m_theme, *show, *pick, m_host);
    connect(popover, &ReleasePickPopover::picked, this, [this, id](const SearchResult& release) {
        m_watchlist.operations.pickAlternative(release, id);
    });
    connect(popover, &ReleasePickPopover::dismissed, this,
            [this, id] { m_watchlist.operations.dismissQualityPick(id); });
    showPopover(popover, row, ShowRowPart::pickPill);
}
