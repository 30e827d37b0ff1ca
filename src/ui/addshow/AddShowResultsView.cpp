#include "AddShowResultsView.h"

#include "AddShowModel.h"
#include "AddShowResultsList.h"
#include "AddShowStyle.h"
#include "AddShowText.h"
#include "PickList.h"
#include "PlanChoice.h"
#include "controls/PillButton.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
using SortField = AddShowModel::SortField;
using PickPlan = AddShowModel::PickPlan;
const QList<PickPlan> kPlans{PickPlan::continueForward, PickPlan::onlyThis,
                             PickPlan::thisThenLatest};
const QStringList kPlanNames{QStringLiteral("continueForward"), QStringLiteral("onlyThis"),
                             QStringLiteral("thisThenLatest")};
} // namespace

AddShowResultsView::AddShowResultsView(AddShowModel& model, Theme& theme, ImageLoader& images,
                                       QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_theme(theme)
    , m_rows(new AddShowResultsList(model, images, this)) {
    setObjectName(QStringLiteral("addShow.results"));
    build();
    applyTheme();
    connect(&m_model, &AddShowModel::resultsChanged, this, &AddShowResultsView::refresh);
    connect(&m_model, &AddShowModel::pickToggled, this, &AddShowResultsView::refresh);
    connect(&m_model, &AddShowModel::formChanged, this, &AddShowResultsView::refreshPlan);
    connect(&m_theme, &Theme::changed, this, &AddShowResultsView::applyTheme);
}

void AddShowResultsView::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(8);

    auto* header = new QHBoxLayout;
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("addShow.heading"));
    m_season = new QComboBox(this);
    m_season->setObjectName(QStringLiteral("addShow.seasonFilter"));
    header->addSpacing(6);
    header->addWidget(m_heading, 1);
    header->addWidget(m_season);
    layout->addLayout(header);

    m_sortRow = new QWidget(this);
    auto* sorts = new QHBoxLayout(m_sortRow);
    sorts->setContentsMargins(6, 0, 0, 0);
    sorts->setSpacing(6);
    m_sortLabel = new QLabel(QStringLiteral("SORT"), m_sortRow);
    sorts->addWidget(m_sortLabel);
    sorts->addSpacing(4);
    for (const SortField field : m_model.sortFields()) {
        auto* pill = new PillButton(m_theme, AddShowText::sortLabel(field), m_sortRow);
        pill->setObjectName(QStringLiteral("addShow.sort.") + AddShowText::sortLabel(field));
        connect(pill, &QAbstractButton::clicked, this, [this, field] { m_model.setSort(field); });
        sorts->addWidget(pill);
        m_sorts.append(pill);
    }
    sorts->addStretch(1);
    layout->addWidget(m_sortRow);

    m_fallback = new QLabel(this);
    m_fallback->setObjectName(QStringLiteral("addShow.fallbackNotice"));
    m_fallback->setContentsMargins(6, 0, 6, 0);
    layout->addWidget(m_fallback);

    m_body = new QStackedWidget(this);
    auto* list = new PickList(m_body);
    m_list = list;
    m_list->setObjectName(QStringLiteral("addShow.list"));
    m_list->setModel(m_rows);
    m_list->setItemDelegate(new AddShowResultsDelegate(m_theme, m_model.isMovie(), m_list));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setMouseTracking(true);
    m_list->setUniformItemSizes(true);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setStyleSheet(QStringLiteral("QListView{background:transparent;}"));
    connect(m_list, &QListView::clicked, this,
            [this](const QModelIndex& index) { m_rows->activate(index.row()); });
    connect(list, &PickList::picked, m_rows, &AddShowResultsList::activate);
    // Space and Enter pick the row the arrows are on.
    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
    // A new list keeps the keyboard on a row, so the arrows and Space work at once.
    connect(m_rows, &QAbstractItemModel::modelReset, this, [this] {
        if (m_list->hasFocus() && m_rows->rowCount() > 0)
            m_list->setCurrentIndex(m_rows->index(0));
    });
    m_body->addWidget(m_list);

    auto* empty = new QWidget(m_body);
    auto* emptyLayout = new QVBoxLayout(empty);
    emptyLayout->addStretch(1);
    m_emptyTitle = new QLabel(empty);
    m_emptyTitle->setObjectName(QStringLiteral("addShow.emptyTitle"));
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    m_emptyNote = new QLabel(empty);
    m_emptyNote->setObjectName(QStringLiteral("addShow.emptyNote"));
    m_emptyNote->setAlignment(Qt::AlignCenter);
    m_emptyNote->setContentsMargins(60, 0, 60, 0);
    emptyLayout->addWidget(m_emptyTitle);
    emptyLayout->addWidget(m_emptyNote);
    m_retry = new QPushButton(empty);
    m_retry->setObjectName(QStringLiteral("addShow.searchAgain"));
    connect(m_retry, &QPushButton::clicked, &m_model, &AddShowModel::searchReleases);
    emptyLayout->addSpacing(6);
    emptyLayout->addWidget(m_retry, 0, Qt::AlignHCenter);
    emptyLayout->addStretch(1);
    m_body->addWidget(empty);
    layout->addWidget(m_body, 1);

    m_plan = new QWidget(this);
    auto* plan = new QVBoxLayout(m_plan);
    plan->setContentsMargins(6, 6, 6, 0);
    plan->setSpacing(2);
    m_planLabel = new QLabel(QStringLiteral("GOING FORWARD"), m_plan);
    plan->addWidget(m_planLabel);
    for (int i = 0; i < kPlans.size(); ++i) {
        auto* row = new PlanChoice(m_theme, AddShowText::planTitle(kPlans[i]),
                                   AddShowText::planDescription(kPlans[i]), m_plan);
        row->setObjectName(QStringLiteral("addShow.plan.") + kPlanNames[i]);
        const PickPlan p = kPlans[i];
        connect(row, &QAbstractButton::clicked, this, [this, p] { m_model.setPickPlan(p); });
        plan->addWidget(row);
        m_planRows.append(row);
    }
    layout->addWidget(m_plan);

    connect(m_season, &QComboBox::activated, this, [this](int at) {
        const QVariant season = m_season->itemData(at);
        m_model.setSeasonView(season.isValid() ? std::optional<int>(season.toInt()) : std::nullopt);
    });
}

void AddShowResultsView::applyTheme() {
    setPalette(m_theme.palette());
    m_list->setPalette(m_theme.palette());
    m_season->setPalette(m_theme.palette());
    AddShowStyle::titleLabel(*m_heading, m_theme, 1.1);
    AddShowStyle::sectionLabel(*m_sortLabel, m_theme);
    AddShowStyle::sectionLabel(*m_planLabel, m_theme);
    AddShowStyle::noteLabel(*m_fallback, m_theme, Theme::Role::attention);
    AddShowStyle::titleLabel(*m_emptyTitle, m_theme, 1.05);
    AddShowStyle::noteLabel(*m_emptyNote, m_theme);
    AddShowStyle::linkButton(*m_retry, m_theme);
    m_emptyNote->setAlignment(Qt::AlignCenter);
    refresh();
}

void AddShowResultsView::refresh() {
    const bool releases = m_model.mode() == AddShowModel::ResultsMode::releases;
    m_heading->setText(m_model.resultsHeading());
    // The list is named by the line above it: "Which series?", "2 releases · 1 selected".
    m_list->setAccessibleName(m_model.resultsHeading());
    // An empty or failed answer speaks for itself in the middle of the panel.
    m_heading->setVisible(m_model.emptyTitle().isEmpty());
    m_sortRow->setVisible(releases && !m_model.results().isEmpty());
    for (int i = 0; i < m_sorts.size(); ++i)
        m_sorts[i]->setChecked(m_model.sortFields().value(i) == m_model.sort());

    const QList<int> seasons = m_model.seasonsOffered();
    m_season->clear();
    m_season->addItem(AddShowText::seasonLabel(std::nullopt));
    for (const int s : seasons)
        m_season->addItem(AddShowText::seasonLabel(s), s);
    if (m_model.seasonView())
        m_season->setCurrentIndex(m_season->findData(*m_model.seasonView()));
    m_season->setVisible(releases && !seasons.isEmpty());

    const QString fallback = m_model.fallbackNotice();
    m_fallback->setText(fallback);
    m_fallback->setVisible(!fallback.isEmpty());

    const QString emptyTitle = m_model.emptyTitle();
    m_emptyTitle->setText(emptyTitle);
    m_emptyNote->setText(m_model.emptyNote());
    m_emptyNote->setVisible(!m_model.emptyNote().isEmpty());
    m_retry->setText(m_model.retryLabel());
    m_retry->setVisible(!m_model.retryLabel().isEmpty());
    m_body->setCurrentIndex(emptyTitle.isEmpty() ? 0 : 1);
    refreshPlan();
}

void AddShowResultsView::refreshPlan() {
    m_plan->setVisible(m_model.showsPlan());
    for (int i = 0; i < kPlans.size(); ++i)
        m_planRows[i]->setChecked(kPlans[i] == m_model.pickPlan());
}

bool AddShowResultsView::eventFilter(QObject* watched, QEvent* event) {
    // The ring follows the keyboard: its arrival or a key shows it, a click hides it.
    const auto ring = [this](bool on) {
        if (m_list->property(kKeyboardRing).toBool() == on)
            return;
        m_list->setProperty(kKeyboardRing, on);
        m_list->viewport()->update();
    };
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress)
        ring(false);
    if (watched == m_list && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        ring(why == Qt::TabFocusReason || why == Qt::BacktabFocusReason ||
             why == Qt::ShortcutFocusReason || why == Qt::OtherFocusReason);
    }
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        ring(true);
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool pick = key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
                          key->key() == Qt::Key_Enter;
        if (pick && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (m_list->currentIndex().isValid())
                m_rows->activate(m_list->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
