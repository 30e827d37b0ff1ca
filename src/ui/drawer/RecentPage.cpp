#include "RecentPage.h"

#include "DrawerCards.h"
#include "DrawerList.h"
#include "DrawerListView.h"
#include "RecentRowDelegate.h"
#include "present/RecentListModel.h"

#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

using Model = RecentListModel;

RecentPage::RecentPage(Theme& theme, EpisodeDrawerModel& model)
    : QObject(&model)
    , m_theme(theme)
    , m_model(model)
    , m_rows(new RecentListModel(model, this)) {
    auto* list = new DrawerList(new RecentRowDelegate(theme));
    m_view = list->view();
    m_view->setObjectName(QStringLiteral("episodeDrawer.recent"));
    m_view->setAccessibleName(EpisodeDrawerModel::tabLabel(EpisodeDrawerModel::Tab::recent));
    m_view->setModel(m_rows);
    connect(m_view, &DrawerListView::partPressed, this, [this](const QModelIndex& index, int part) {
        const QString id = index.data(Model::RecordIdRole).toString();
        if (part == RecentRowDelegate::kAlternate)
            m_model.findAlternates(id);
        else if (part == RecentRowDelegate::kRemove)
            m_model.removeRequest(id);
        else if (part == RecentRowDelegate::kSnooze)
            m_model.snoozeWeek(id);
    });
    connect(m_rows, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { placePanels(first, last); });
    connect(m_rows, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                placePanels(from.row(), to.row());
            });

    auto* note = new QWidget;
    auto* column = new QVBoxLayout(note);
    column->setContentsMargins(20, 6, 20, 20);
    m_empty = new QLabel(EpisodeDrawerModel::recentEmptyText());
    m_empty->setObjectName(QStringLiteral("episodeDrawer.recentEmpty"));
    m_empty->setWordWrap(true);
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setContentsMargins(40, 60, 40, 0);
    column->addWidget(m_empty);
    column->addStretch(1);

    m_pages = new QStackedWidget;
    m_pages->addWidget(list);
    m_pages->addWidget(note);
}

QWidget* RecentPage::page() const {
    return m_pages;
}

void RecentPage::setLive(bool live) {
    m_rows->setLive(live);
}

void RecentPage::refresh(bool restyle) {
    m_pages->setCurrentIndex(m_rows->rowCount() == 0 ? 1 : 0);
    if (!restyle)
        return;
    QPalette p = m_empty->palette();
    p.setColor(QPalette::WindowText, m_theme.color(Theme::Role::secondaryText));
    m_empty->setPalette(p);
    placePanels(0, m_rows->rowCount() - 1);
    m_view->viewport()->update();
}

void RecentPage::placePanels(int first, int last) {
    for (int at = first; at <= last; ++at) {
        const QModelIndex index = m_rows->index(at);
        if (index.data(Model::KindRole).toInt() != int(RecentListRow::Kind::alternates))
            continue;
        const RecentListRow& row = m_rows->row(at);
        m_view->setPanel(
            index,
            releasePanel(m_theme, {QStringLiteral("episodeDrawer.alternates"), row.title, row.note,
                                   row.noteTone, EpisodeDrawerModel::switchLabel(), row.releases,
                                   [this](int i) { m_model.chooseAlternate(i); },
                                   [this] { m_model.closeAlternates(); }}));
    }
}
