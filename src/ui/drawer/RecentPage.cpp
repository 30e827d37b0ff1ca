#include "RecentPage.h"

#include "AccessibleText.h"
#include "DrawerButton.h"
#include "DrawerCards.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

using Role = Theme::Role;

RecentPage::RecentPage(Theme& theme, EpisodeDrawerModel& model)
    : QObject(&model)
    , m_theme(theme)
    , m_model(model) {
    auto* list = new QWidget;
    m_list = new QVBoxLayout(list);
    m_list->setContentsMargins(20, 6, 20, 20);
    m_list->setSpacing(6);
    m_area = drawerScrollArea(list);
}

void RecentPage::refresh(bool force) {
    const auto rows = m_model.recentRows();
    const auto target = m_model.switchTarget();
    const QString note = m_model.alternatesNote();
    const auto alternates = m_model.alternateRows();
    if (m_shown.rows == rows && m_shown.switchTarget == target &&
        m_shown.alternatesNote == note && m_shown.alternates == alternates && !force)
        return;
    m_shown.rows = rows;
    m_shown.switchTarget = target;
    m_shown.alternatesNote = note;
    m_shown.alternates = alternates;

    clearDrawerLayout(m_list);
    if (rows.isEmpty()) {
        auto* empty = new QLabel(EpisodeDrawerModel::recentEmptyText());
        empty->setObjectName(QStringLiteral("episodeDrawer.recentEmpty"));
        empty->setWordWrap(true);
        empty->setAlignment(Qt::AlignCenter);
        empty->setContentsMargins(40, 60, 40, 0);
        QPalette p = empty->palette();
        p.setColor(QPalette::WindowText, m_theme.color(Role::secondaryText));
        empty->setPalette(p);
        m_list->addWidget(empty);
    }
    for (const auto& row : rows) {
        m_list->addWidget(this->row(row));
        if (target == row.id) {
            m_list->addWidget(releasePanel(
                m_theme, {QStringLiteral("episodeDrawer.alternates"), m_model.switchHeading(),
                          note, m_model.alternatesNoteTone(), EpisodeDrawerModel::switchLabel(),
                          alternates, [this](int i) { m_model.chooseAlternate(i); },
                          [this] { m_model.closeAlternates(); }}));
        }
    }
    m_list->addStretch(1);
}

QWidget* RecentPage::row(const EpisodeDrawerModel::RecentRow& row) {
    auto* card = new DrawerCard(m_theme, Role::surface);
    card->setObjectName(QStringLiteral("episodeDrawer.recent.") + row.id);
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(14, 9, 12, 9);
    column->setSpacing(2);

    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    auto* episode = new QLabel(row.episode);
    QFont bold = episode->font();
    bold.setWeight(QFont::DemiBold);
    episode->setFont(bold);
    QPalette p = episode->palette();
    p.setColor(QPalette::WindowText, m_theme.color(Role::accent));
    episode->setPalette(p);
    top->addWidget(episode);
    top->addWidget(new ElidedLabel(row.title, m_theme.color(Role::text)), 1);
    column->addLayout(top);

    card->makeRow(accessible::episodeRowName(row.episode, row.title), row.stateLine);
    auto* state = new ElidedLabel(row.stateLine, m_theme.color(drawerRole(row.tone)));
    state->setObjectName(QStringLiteral("episodeDrawer.recent.%1.state").arg(row.id));
    QFont small = state->font();
    small.setPointSizeF(small.pointSizeF() * 0.92);
    state->setFont(small);
    column->addWidget(state);

    if (row.flagged) {
        auto* actions = new QHBoxLayout;
        actions->setContentsMargins(0, 6, 0, 0);
        actions->setSpacing(6);
        const auto add = [&](const QString& text, const QString& symbol, const char* name,
                             auto&& action) {
            auto* b = new DrawerButton(m_theme, DrawerButton::Look::outlined, text);
            b->setSymbol(symbol);
            b->setObjectName(
                QStringLiteral("episodeDrawer.recent.%1.%2").arg(row.id, QLatin1StringView(name)));
            connect(b, &QAbstractButton::clicked, &m_model, action);
            actions->addWidget(b);
        };
        const QString id = row.id;
        add(EpisodeDrawerModel::findAlternateLabel(), QStringLiteral("arrow.triangle.2.circlepath"),
            "alternate", [this, id] { m_model.findAlternates(id); });
        add(EpisodeDrawerModel::removeRequestLabel(), QStringLiteral("xmark.circle"), "remove",
            [this, id] { m_model.removeRequest(id); });
        add(EpisodeDrawerModel::snoozeLabel(), QStringLiteral("moon.zzz"), "snooze",
            [this, id] { m_model.snoozeWeek(id); });
        actions->addStretch(1);
        column->addLayout(actions);
    }
    return card;
}
