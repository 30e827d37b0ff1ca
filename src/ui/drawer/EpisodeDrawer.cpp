#include "EpisodeDrawer.h"

#include "AccessibleText.h"

#include "DrawerButton.h"
#include "controls/PillButton.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

using Role = Theme::Role;
using RowState = EpisodeDrawerTexts::RowState;
using Tone = EpisodeDrawerTexts::Tone;

namespace {

constexpr int kMargin = 20;

Role roleOf(Tone tone) {
    switch (tone) {
    case Tone::plain:
        return Role::text;
    case Tone::quiet:
        return Role::secondaryText;
    case Tone::faint:
        return Role::faintText;
    case Tone::action:
        return Role::accent;
    case Tone::done:
        return Role::success;
    case Tone::attention:
        return Role::attentionText;
    case Tone::failure:
        return Role::danger;
    }
    return Role::text;
}

// A rounded card on the surface colour: one episode, one download, one panel. A row card is
// a tab stop of its own that reads the whole row; Up and Down move between row cards, Enter
// and Space press the row's first action.
class Card final : public QWidget {
public:
    Card(Theme& theme, Role fill, QWidget* parent = nullptr)
        : QWidget(parent)
        , m_theme(theme)
        , m_fill(fill) {}

    void makeRow(const QString& name, const QString& description) {
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(name);
        setAccessibleDescription(description);
        setProperty("drawerRow", true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        painter.fillPath(path, m_theme.color(m_fill));
        painter.setPen(QPen(m_theme.color(Role::separator), 1));
        painter.drawPath(path);
        if (hasFocus())
            m_theme.paintFocusRing(painter, QRectF(rect()), 10);
    }

    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
                if (button->isVisible() && button->isEnabled()) {
                    button->click();
                    return;
                }
            }
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (QWidget* next = sibling(event->key() == Qt::Key_Down ? 1 : -1))
                next->setFocus(event->key() == Qt::Key_Down ? Qt::TabFocusReason
                                                             : Qt::BacktabFocusReason);
            return;
        default:
            QWidget::keyPressEvent(event);
        }
    }

private:
    QWidget* sibling(int step) const {
        if (!parentWidget())
            return nullptr;
        QList<QWidget*> rows;
        for (QWidget* w : parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->property("drawerRow").toBool() && !w->isHidden())
                rows.append(w);
        }
        const qsizetype at = rows.indexOf(const_cast<Card*>(this)) + step;
        return at >= 0 && at < rows.size() ? rows[at] : nullptr;
    }

private:
    Theme& m_theme;
    Role m_fill;
};

// One line of text cut with an ellipsis when the row is narrower than the text.
class ElidedLabel final : public QWidget {
public:
    ElidedLabel(const QString& text, QColor color, QWidget* parent = nullptr)
        : QWidget(parent)
        , m_text(text)
        , m_color(std::move(color)) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setToolTip(text);
    }
    QSize sizeHint() const override {
        return {fontMetrics().horizontalAdvance(m_text), fontMetrics().height()};
    }
    QSize minimumSizeHint() const override { return {20, fontMetrics().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(m_color);
        painter.drawText(rect(), Qt::AlignVCenter | Qt::AlignLeft,
                         fontMetrics().elidedText(m_text, Qt::ElideRight, width()));
    }

private:
    QString m_text;
    QColor m_color;
};

// A state without an action: a symbol and a word in one colour ("Got it", "Upcoming").
class Tag final : public QWidget {
public:
    Tag(Theme& theme, const QString& symbol, const QString& text, Role role,
        QWidget* parent = nullptr)
        : QWidget(parent)
        , m_theme(theme)
        , m_symbol(symbol)
        , m_text(text)
        , m_role(role) {
        QFont f = font();
        f.setWeight(QFont::DemiBold);
        setFont(f);
    }
    QSize sizeHint() const override {
        const int symbol = m_symbol.isEmpty() ? 0 : 18;
        return {symbol + fontMetrics().horizontalAdvance(m_text) + 12, fontMetrics().height() + 10};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        int x = 6;
        if (!m_symbol.isEmpty()) {
            m_theme.symbol(m_symbol, m_role).paint(&painter, QRect(x, (height() - 14) / 2, 14, 14));
            x += 18;
        }
        painter.setPen(m_theme.color(m_role));
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft,
                         m_text);
    }

private:
    Theme& m_theme;
    QString m_symbol;
    QString m_text;
    Role m_role;
};

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide(); // gone from the next paint, not only once the deletion runs
            w->deleteLater();
        }
        delete item;
    }
}

QScrollArea* scrollArea(QWidget* content) {
    auto* area = new QScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a tab stop of its own: it scrolls to whichever row takes the focus.
    area->setFocusPolicy(Qt::NoFocus);
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

} // namespace

EpisodeDrawer::EpisodeDrawer(const Watchlist& watchlist, Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_theme(theme)
    , m_model(new EpisodeDrawerModel(watchlist, this)) {
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
    m_shown = Shown{};
    refresh();
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
    return scrollArea(content);
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
    auto* pillScroll = m_seasonScroll = scrollArea(pills);
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

    auto* list = new QWidget;
    m_episodeList = new QVBoxLayout(list);
    m_episodeList->setContentsMargins(kMargin, 4, kMargin, kMargin);
    m_episodeList->setSpacing(6);
    m_episodeScroll = scrollArea(list);
    column->addWidget(m_episodeScroll, 1);
    return page;
}

QWidget* EpisodeDrawer::buildRecentPage() {
    auto* list = new QWidget;
    m_recentList = new QVBoxLayout(list);
    m_recentList->setContentsMargins(kMargin, 6, kMargin, kMargin);
    m_recentList->setSpacing(6);
    return scrollArea(list);
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
    refreshRecent();
    m_shown.valid = true;
}

void EpisodeDrawer::refreshPhase() {
    using Phase = EpisodeDrawerModel::Phase;
    const Phase phase = m_model->phase();
    if (phase == Phase::needsPick) {
        m_phasePages->setCurrentIndex(1);
        if (m_shown.candidates != m_model->candidates() || !m_shown.valid) {
            m_shown.candidates = m_model->candidates();
            clearLayout(m_candidates);
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
    const Role role = roleOf(m_model->phaseTone());
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
    clearLayout(m_seasonPills);
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
    const QList<EpisodeDrawerModel::EpisodeRow> rows = m_model->episodeRows();
    const QString note = m_model->episodesNote();
    const auto offer = m_model->offerEpisode();
    const auto offerRows = m_model->offerRows();
    if (m_shown.episodes == rows && m_shown.episodesNote == note && m_shown.offer == offer &&
        m_shown.offerRows == offerRows && m_shown.valid)
        return;
    m_shown.episodes = rows;
    m_shown.episodesNote = note;
    m_shown.offer = offer;
    m_shown.offerRows = offerRows;

    const int scrolled = m_episodeScroll->verticalScrollBar()->value();
    clearLayout(m_episodeList);
    if (!note.isEmpty()) {
        auto* l = new QLabel(note);
        l->setObjectName(QStringLiteral("episodeDrawer.episodesNote"));
        l->setAlignment(Qt::AlignCenter);
        l->setWordWrap(true);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, m_theme.color(Role::secondaryText));
        l->setPalette(p);
        l->setContentsMargins(0, 40, 0, 0);
        m_episodeList->addWidget(l);
    }
    for (const auto& row : rows) {
        m_episodeList->addWidget(episodeRow(row));
        // The offer opens under the episode it is about.
        if (offer == row.code) {
            m_episodeList->addWidget(releasePanel(ReleasePanel::offer,
                                                  EpisodeDrawerModel::offerHeading(), QString(),
                                                  Tone::plain, offerRows));
        }
    }
    m_episodeList->addStretch(1);
    m_episodeScroll->verticalScrollBar()->setValue(scrolled);
}

QWidget* EpisodeDrawer::episodeRow(const EpisodeDrawerModel::EpisodeRow& row) {
    auto* card = new Card(m_theme, Role::surface);
    card->setObjectName(QStringLiteral("episodeDrawer.row.") + row.code);
    auto* line = new QHBoxLayout(card);
    line->setContentsMargins(14, 8, 10, 8);
    line->setSpacing(12);

    auto* code = new QLabel(row.code);
    QFont codeFont = code->font();
    codeFont.setWeight(QFont::DemiBold);
    codeFont.setStyleHint(QFont::TypeWriter);
    code->setFont(codeFont);
    QPalette p = code->palette();
    p.setColor(QPalette::WindowText, m_theme.color(Role::accent));
    code->setPalette(p);
    code->setFixedWidth(code->fontMetrics().horizontalAdvance(QStringLiteral("S00E000")));
    line->addWidget(code);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    auto* name = new ElidedLabel(row.name, m_theme.color(Role::text));
    texts->addWidget(name);
    if (!row.dateText.isEmpty()) {
        auto* date = new ElidedLabel(row.dateText, m_theme.color(Role::secondaryText));
        QFont small = date->font();
        small.setPointSizeF(small.pointSizeF() * 0.88);
        date->setFont(small);
        texts->addWidget(date);
    }
    line->addLayout(texts, 1);

    QWidget* state = nullptr;
    switch (row.tone) {
    case Tone::done:
        state = new Tag(m_theme, QStringLiteral("checkmark"), row.label, roleOf(row.tone));
        break;
    case Tone::faint:
        state = new Tag(m_theme, QString(), row.label, roleOf(row.tone));
        break;
    default: {
        const auto look = row.tone == Tone::action      ? DrawerButton::Look::filled
                          : row.tone == Tone::attention ? DrawerButton::Look::attention
                                                        : DrawerButton::Look::outlined;
        auto* button = new DrawerButton(m_theme, look, row.label);
        button->setObjectName(QStringLiteral("episodeDrawer.episode.") + row.code);
        button->setEnabled(row.pressable);
        if (row.state == RowState::grabbing)
            button->setSymbol(QStringLiteral("arrow.triangle.2.circlepath"));
        const QString code = row.code;
        connect(button, &QAbstractButton::clicked, m_model,
                [this, code] { m_model->pressEpisode(code); });
        state = button;
        break;
    }
    }
    state->setToolTip(row.tooltip);
    state->setMinimumWidth(92);
    card->makeRow(accessible::episodeRowName(row.code, row.name),
                  accessible::episodeRowDescription(row.dateText, row.label));
    line->addWidget(state, 0, Qt::AlignVCenter);
    return card;
}

QWidget* EpisodeDrawer::releasePanel(ReleasePanel kind, const QString& heading, const QString& note,
                                     Tone noteTone,
                                     const QList<EpisodeDrawerModel::ReleaseRow>& rows) {
    const bool offer = kind == ReleasePanel::offer;
    const QString namePrefix =
        offer ? QStringLiteral("episodeDrawer.offer") : QStringLiteral("episodeDrawer.alternates");
    auto* panel = new Card(m_theme, Role::selection);
    panel->setObjectName(namePrefix);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(14, 10, 10, 12);
    column->setSpacing(6);

    auto* top = new QHBoxLayout;
    auto* title = new QLabel(heading);
    QFont f = title->font();
    f.setWeight(QFont::DemiBold);
    title->setFont(f);
    QPalette p = title->palette();
    p.setColor(QPalette::WindowText, m_theme.color(Role::text));
    title->setPalette(p);
    title->setWordWrap(true);
    top->addWidget(title, 1);
    auto* close = new DrawerButton(m_theme, DrawerButton::Look::plain, QString());
    close->setObjectName(namePrefix + QStringLiteral(".close"));
    close->setSymbol(QStringLiteral("xmark"));
    close->setFixedSize(26, 26);
    connect(close, &QAbstractButton::clicked, m_model,
            offer ? &EpisodeDrawerModel::closeOffer : &EpisodeDrawerModel::closeAlternates);
    top->addWidget(close, 0, Qt::AlignTop);
    column->addLayout(top);

    if (!note.isEmpty()) {
        auto* l = new QLabel(note);
        l->setObjectName(namePrefix + QStringLiteral(".note"));
        l->setWordWrap(true);
        QPalette np = l->palette();
        np.setColor(QPalette::WindowText, m_theme.color(roleOf(noteTone)));
        l->setPalette(np);
        column->addWidget(l);
    }
    for (int i = 0; i < rows.size(); ++i) {
        auto* item = new Card(m_theme, Role::surface);
        item->setObjectName(namePrefix + QStringLiteral(".%1").arg(i));
        auto* itemLine = new QHBoxLayout(item);
        itemLine->setContentsMargins(12, 6, 8, 6);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        texts->addWidget(new ElidedLabel(rows.at(i).label, m_theme.color(Role::text)));
        auto* detail = new ElidedLabel(rows.at(i).detail, m_theme.color(Role::secondaryText));
        QFont small = detail->font();
        small.setPointSizeF(small.pointSizeF() * 0.88);
        detail->setFont(small);
        texts->addWidget(detail);
        itemLine->addLayout(texts, 1);
        auto* pick = new DrawerButton(m_theme, DrawerButton::Look::filled,
                                      offer ? EpisodeDrawerTexts::rowLabel(RowState::grab)
                                            : EpisodeDrawerModel::switchLabel());
        pick->setObjectName(namePrefix + QStringLiteral(".%1.choose").arg(i));
        connect(pick, &QAbstractButton::clicked, m_model, [this, i, offer] {
            if (offer)
                m_model->chooseOffered(i);
            else
                m_model->chooseAlternate(i);
        });
        itemLine->addWidget(pick, 0, Qt::AlignVCenter);
        column->addWidget(item);
    }
    return panel;
}

void EpisodeDrawer::refreshRecent() {
    const auto rows = m_model->recentRows();
    const auto target = m_model->switchTarget();
    const QString note = m_model->alternatesNote();
    const auto alternates = m_model->alternateRows();
    if (m_shown.recent == rows && m_shown.switchTarget == target &&
        m_shown.alternatesNote == note && m_shown.alternates == alternates && m_shown.valid)
        return;
    m_shown.recent = rows;
    m_shown.switchTarget = target;
    m_shown.alternatesNote = note;
    m_shown.alternates = alternates;

    clearLayout(m_recentList);
    if (rows.isEmpty()) {
        auto* empty = new QLabel(EpisodeDrawerModel::recentEmptyText());
        empty->setObjectName(QStringLiteral("episodeDrawer.recentEmpty"));
        empty->setWordWrap(true);
        empty->setAlignment(Qt::AlignCenter);
        empty->setContentsMargins(40, 60, 40, 0);
        QPalette p = empty->palette();
        p.setColor(QPalette::WindowText, m_theme.color(Role::secondaryText));
        empty->setPalette(p);
        m_recentList->addWidget(empty);
    }
    for (const auto& row : rows) {
        m_recentList->addWidget(recentRow(row));
        if (target == row.id) {
            m_recentList->addWidget(releasePanel(ReleasePanel::alternates, m_model->switchHeading(),
                                                 note, m_model->alternatesNoteTone(), alternates));
        }
    }
    m_recentList->addStretch(1);
}

QWidget* EpisodeDrawer::recentRow(const EpisodeDrawerModel::RecentRow& row) {
    auto* card = new Card(m_theme, Role::surface);
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
    auto* state = new ElidedLabel(row.stateLine, m_theme.color(roleOf(row.tone)));
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
            connect(b, &QAbstractButton::clicked, m_model, action);
            actions->addWidget(b);
        };
        const QString id = row.id;
        add(EpisodeDrawerModel::findAlternateLabel(), QStringLiteral("arrow.triangle.2.circlepath"),
            "alternate", [this, id] { m_model->findAlternates(id); });
        add(EpisodeDrawerModel::removeRequestLabel(), QStringLiteral("xmark.circle"), "remove",
            [this, id] { m_model->removeRequest(id); });
        add(EpisodeDrawerModel::snoozeLabel(), QStringLiteral("moon.zzz"), "snooze",
            [this, id] { m_model->snoozeWeek(id); });
        actions->addStretch(1);
        column->addLayout(actions);
    }
    return card;
}
