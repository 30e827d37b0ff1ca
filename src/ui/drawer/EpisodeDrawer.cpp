#include "EpisodeDrawer.h"

#include "DrawerButton.h"
#include "DrawerCards.h"
#include "DrawerList.h"
#include "DrawerListView.h"
#include "EpisodeRowDelegate.h"
#include "RecentPage.h"
#include "controls/PillButton.h"
#include "present/EpisodeListModel.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

using Role = Theme::Role;
using Tone = EpisodeDrawerTexts::Tone;

namespace {

constexpr int kMargin = 20;

} // namespace

EpisodeDrawer::EpisodeDrawer(const Watchlist& watchlist, Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_theme(theme)
    , m_model(new EpisodeDrawerModel(watchlist, this))
    , m_episodes(new EpisodeListModel(*m_model, this)) {
    setObjectName(QStringLiteral("episodeDrawer"));
    setFocusPolicy(Qt::StrongFocus);
    build();
    applyTheme();
    connect(m_model, &EpisodeDrawerModel::changed, this, &EpisodeDrawer::refresh);
    connect(&m_theme, &Theme::changed, this, &EpisodeDrawer::applyTheme);
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
    hide();
    m_episodes->setLive(false);
    m_recent->setLive(false);
}

EpisodeDrawer::~EpisodeDrawer() = default;

void EpisodeDrawer::openFor(const QUuid& showID) {
    m_shown = Shown{};
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    m_model->open(showID);
    show();
    raise();
    setFocus();
    refresh();
}

void EpisodeDrawer::closeDrawer() {
    hide();
    Q_EMIT closed();
}

bool EpisodeDrawer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void EpisodeDrawer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_theme.color(Role::window));
}

void EpisodeDrawer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Changes that came while hidden were not followed: look at everything again.
    m_episodes->setLive(true);
    m_recent->setLive(true);
    m_shown = Shown{};
    refresh();
}

void EpisodeDrawer::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Out of sight, the lists only note that they are behind.
    m_episodes->setLive(false);
    m_recent->setLive(false);
}

void EpisodeDrawer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        closeDrawer();
        return;
    }
    QWidget::keyPressEvent(event);
}

QLabel* EpisodeDrawer::label(Role role, qreal scale, bool bold) {
    auto* l = new QLabel;
    QFont f = l->font();
    if (scale != 1.0)
        f.setPointSizeF(f.pointSizeF() * scale);
    if (bold)
        f.setWeight(QFont::DemiBold);
    l->setFont(f);
    m_tinted.append({l, role});
    return l;
}

// --- building ----------------------------------------------------------------------------------

void EpisodeDrawer::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());

    m_pages = new QStackedWidget;
    m_pages->addWidget(buildRecentPage());
    m_phasePages = new QStackedWidget;
    m_phasePages->addWidget(buildMessagePage());
    m_phasePages->addWidget(buildPickPage());
    m_phasePages->addWidget(buildReadyPage());
    m_pages->addWidget(m_phasePages);
    layout->addWidget(m_pages, 1);
}

QWidget* EpisodeDrawer::buildHeader() {
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 12, kMargin, 10);
    row->setSpacing(8);

    auto* close = new DrawerButton(m_theme, DrawerButton::Look::plain, QString());
    close->setObjectName(QStringLiteral("episodeDrawer.close"));
    close->setSymbol(QStringLiteral("chevron.left"));
    close->setToolTip(EpisodeDrawerModel::closeTooltip());
    close->setFixedSize(30, 30);
    connect(close, &QAbstractButton::clicked, this, &EpisodeDrawer::closeDrawer);
    row->addWidget(close);

    m_title = label(Role::text, 1.35, true);
    m_title->setObjectName(QStringLiteral("episodeDrawer.title"));
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(m_title, 1);

    auto* tabs = new QButtonGroup(header);
    m_recentTab =
        new PillButton(m_theme, EpisodeDrawerModel::tabLabel(EpisodeDrawerModel::Tab::recent));
    m_recentTab->setObjectName(QStringLiteral("episodeDrawer.tab.recent"));
    m_episodesTab =
        new PillButton(m_theme, EpisodeDrawerModel::tabLabel(EpisodeDrawerModel::Tab::episodes));
    m_episodesTab->setObjectName(QStringLiteral("episodeDrawer.tab.episodes"));
    tabs->addButton(m_recentTab);
    tabs->addButton(m_episodesTab);
    tabs->setExclusive(true);
    connect(m_recentTab, &QAbstractButton::clicked, this,
            [this] { m_model->setTab(EpisodeDrawerModel::Tab::recent); });
    connect(m_episodesTab, &QAbstractButton::clicked, this,
            [this] { m_model->setTab(EpisodeDrawerModel::Tab::episodes); });
    row->addWidget(m_recentTab);
    row->addWidget(m_episodesTab);
    return header;
}

QWidget* EpisodeDrawer::buildMessagePage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(48, 0, 48, 40);
    column->setSpacing(8);
    column->addStretch(1);
    m_messageSymbol = new QLabel;
    m_messageSymbol->setAlignment(Qt::AlignCenter);
    column->addWidget(m_messageSymbol);
    m_messageTitle = label(Role::text, 1.15, true);
    m_messageTitle->setObjectName(QStringLiteral("episodeDrawer.message"));
    m_messageTitle->setAlignment(Qt::AlignCenter);
    m_messageTitle->setWordWrap(true);
    column->addWidget(m_messageTitle);
    m_messageDetail = label(Role::secondaryText);
    m_messageDetail->setAlignment(Qt::AlignCenter);
    m_messageDetail->setWordWrap(true);
    column->addWidget(m_messageDetail);
    m_retryButton =
        new DrawerButton(m_theme, DrawerButton::Look::outlined, EpisodeDrawerModel::retryLabel());
    m_retryButton->setObjectName(QStringLiteral("episodeDrawer.retry"));
    m_retryButton->setSymbol(QStringLiteral("arrow.triangle.2.circlepath"));
    connect(m_retryButton, &QAbstractButton::clicked, m_model, &EpisodeDrawerModel::retry);
    column->addSpacing(6);
    column->addWidget(m_retryButton, 0, Qt::AlignHCenter);
    column->addStretch(2);
    return page;
}

QWidget* EpisodeDrawer::buildPickPage() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(kMargin, 14, kMargin, kMargin);
    column->setSpacing(8);
    m_pickHeading = label(Role::secondaryText, 0.85, true);
    m_pickHeading->setText(EpisodeDrawerModel::whichShowHeading());
    column->addWidget(m_pickHeading);
    m_candidates = new QVBoxLayout;
    m_candidates->setSpacing(6);
    column->addLayout(m_candidates);
    column->addStretch(1);
    return drawerScrollArea(content);
}

QWidget* EpisodeDrawer::buildReadyPage() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 4, 0, 0);
    column->setSpacing(8);

    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(kMargin, 0, kMargin, 0);
    bar->setSpacing(10);
    auto* pills = new QWidget;
    m_seasonPills = new QHBoxLayout(pills);
    m_seasonPills->setContentsMargins(0, 2, 0, 2);
    m_seasonPills->setSpacing(6);
    auto* pillScroll = m_seasonScroll = drawerScrollArea(pills);
    pillScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pillScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pillScroll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    pillScroll->setFixedHeight(PillButton::sizeFor(QStringLiteral("Season 1"), font()).height() +
                               4);
    bar->addWidget(pillScroll, 1);
    m_completeButton = new DrawerButton(m_theme, DrawerButton::Look::outlined,
                                        EpisodeDrawerModel::completeSeasonLabel());
    m_completeButton->setObjectName(QStringLiteral("episodeDrawer.completeSeason"));
    m_completeButton->setSymbol(QStringLiteral("checkmark"));
    connect(m_completeButton, &QAbstractButton::clicked, m_model,
            &EpisodeDrawerModel::completeSeason);
    bar->addWidget(m_completeButton);
    column->addLayout(bar);

    auto* episodeList = new DrawerList(new EpisodeRowDelegate(m_theme));
    m_episodeView = episodeList->view();
    m_episodeView->setObjectName(QStringLiteral("episodeDrawer.episodes"));
    m_episodeView->setAccessibleName(
        EpisodeDrawerModel::tabLabel(EpisodeDrawerModel::Tab::episodes));
    m_episodeView->setModel(m_episodes);
    connect(m_episodeView, &DrawerListView::partPressed, m_model, [this](const QModelIndex& index) {
        m_model->pressEpisode(index.data(EpisodeListModel::CodeRole).toString());
    });
    connect(m_episodes, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { placeOffers(first, last); });
    connect(m_episodes, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                placeOffers(from.row(), to.row());
            });

    // While there are no rows, a note where they would be: loading, empty or failed.
    auto* notePage = new QWidget;
    auto* noteColumn = new QVBoxLayout(notePage);
    noteColumn->setContentsMargins(kMargin, 4, kMargin, kMargin);
    m_episodesNote = new QLabel;
    m_episodesNote->setObjectName(QStringLiteral("episodeDrawer.episodesNote"));
    m_episodesNote->setAlignment(Qt::AlignCenter);
    m_episodesNote->setWordWrap(true);
    m_episodesNote->setContentsMargins(0, 40, 0, 0);
    m_tinted.append({m_episodesNote, Role::secondaryText});
    noteColumn->addWidget(m_episodesNote);
    noteColumn->addStretch(1);

    m_episodePages = new QStackedWidget;
    m_episodePages->addWidget(episodeList);
    m_episodePages->addWidget(notePage);
    column->addWidget(m_episodePages, 1);
    return page;
}

QWidget* EpisodeDrawer::buildRecentPage() {
    m_recent = new RecentPage(m_theme, *m_model);
    return m_recent->page();
}

void EpisodeDrawer::applyTheme() {
    QPalette p = m_theme.palette();
    setPalette(p);
    for (const auto& [l, role] : std::as_const(m_tinted)) {
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, m_theme.color(role));
        l->setPalette(lp);
    }
    m_shown = Shown{}; // the rows paint with the old colours: build them again
    refresh();
    placeOffers(0, m_episodes->rowCount() - 1);
    m_episodeView->viewport()->update();
    update();
}

// --- showing the model -------------------------------------------------------------------------

void EpisodeDrawer::refresh() {
    // Closed, or the window hidden: nothing to keep up; the next opening starts afresh.
    if (!isVisible())
        return;
    const bool recent = m_model->tab() == EpisodeDrawerModel::Tab::recent;
    m_recentTab->setChecked(recent);
    m_episodesTab->setChecked(!recent);
    m_pages->setCurrentIndex(recent ? 0 : 1);
    m_title->setText(m_model->showName());
    setAccessibleName(m_model->showName());
    refreshPhase();
    m_recent->refresh(!m_shown.valid);
    m_shown.valid = true;
}

void EpisodeDrawer::refreshPhase() {
    using Phase = EpisodeDrawerModel::Phase;
    const Phase phase = m_model->phase();
    if (phase == Phase::needsPick) {
        m_phasePages->setCurrentIndex(1);
        if (m_shown.candidates != m_model->candidates() || !m_shown.valid) {
            m_shown.candidates = m_model->candidates();
            clearDrawerLayout(m_candidates);
            for (int i = 0; i < m_shown.candidates.size(); ++i) {
                auto* button =
                    new DrawerButton(m_theme, DrawerButton::Look::outlined,
                                     EpisodeDrawerModel::candidateLabel(m_shown.candidates.at(i)));
                button->setObjectName(QStringLiteral("episodeDrawer.candidate.%1").arg(i));
                button->setMinimumHeight(36);
                connect(button, &QAbstractButton::clicked, m_model,
                        [this, i] { m_model->pickCandidate(i); });
                m_candidates->addWidget(button);
            }
        }
        return;
    }
    m_shown.candidates.clear();
    if (phase == Phase::ready) {
        m_phasePages->setCurrentIndex(2);
        refreshSeasons();
        refreshEpisodes();
        return;
    }
    m_phasePages->setCurrentIndex(0);
    QString symbol;
    const Role role = drawerRole(m_model->phaseTone());
    switch (phase) {
    case Phase::noKey:
        symbol = QStringLiteral("key");
        break;
    case Phase::notFound:
        symbol = QStringLiteral("magnifyingglass");
        break;
    case Phase::failed:
        symbol = QStringLiteral("exclamationmark.triangle");
        break;
    default:
        break;
    }
    m_messageSymbol->setVisible(!symbol.isEmpty());
    if (!symbol.isEmpty())
        m_messageSymbol->setPixmap(m_theme.symbol(symbol, role).pixmap(34, 34, QIcon::Normal));
    m_messageTitle->setText(m_model->phaseTitle());
    m_messageDetail->setText(m_model->phaseDetail());
    m_messageDetail->setVisible(!m_model->phaseDetail().isEmpty());
    m_retryButton->setVisible(m_model->canRetry());
}

void EpisodeDrawer::refreshSeasons() {
    m_completeButton->setEnabled(m_model->completeSeasonEnabled());
    m_completeButton->setToolTip(m_model->completeSeasonTooltip());
    if (m_shown.seasons == m_model->seasons() &&
        m_shown.selectedSeason == m_model->selectedSeason())
        return;
    m_shown.seasons = m_model->seasons();
    m_shown.selectedSeason = m_model->selectedSeason();
    clearDrawerLayout(m_seasonPills);
    PillButton* selected = nullptr;
    for (const int season : std::as_const(m_shown.seasons)) {
        auto* pill = new PillButton(m_theme, EpisodeDrawerModel::seasonLabel(season));
        pill->setObjectName(QStringLiteral("episodeDrawer.season.%1").arg(season));
        pill->setChecked(season == m_shown.selectedSeason);
        if (pill->isChecked())
            selected = pill;
        connect(pill, &QAbstractButton::clicked, m_model, [this, season, pill] {
            pill->setChecked(true); // the model decides; this only keeps the pill from flickering
            m_model->selectSeason(season);
        });
        m_seasonPills->addWidget(pill);
    }
    m_seasonPills->addStretch(1);
    // The highest season is the one usually wanted: keep it in sight when there are many.
    if (selected)
        m_seasonScroll->ensureWidgetVisible(selected, 8, 0);
}

void EpisodeDrawer::refreshEpisodes() {
    const QString note = m_model->episodesNote();
    m_episodesNote->setText(note);
    m_episodePages->setCurrentIndex(note.isEmpty() ? 0 : 1);
}

void EpisodeDrawer::placeOffers(int first, int last) {
    using Model = EpisodeListModel;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = m_episodes->index(row);
        if (index.data(Model::KindRole).toInt() != int(EpisodeListRow::Kind::offer))
            continue;
        // The offer's buttons are real widgets: one panel, for one row, while it is open.
        m_episodeView->setPanel(
            index,
            releasePanel(m_theme, {QStringLiteral("episodeDrawer.offer"),
                                   EpisodeDrawerModel::offerHeading(), QString(), Tone::plain,
                                   EpisodeDrawerTexts::rowLabel(EpisodeDrawerTexts::RowState::grab),
                                   m_episodes->row(row).releases,
                                   [this](int i) { m_model->chooseOffered(i); },
                                   [this] { m_model->closeOffer(); }}));
    }
}
