#include "ActivityView.h"

#include "ActivityDelegate.h"
#include "ActivityListModel.h"
#include "FlatButton.h"
#include "SymbolView.h"
#include "api/Watchlist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

ActivityView::ActivityView(const Watchlist& watchlist, Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_operations(watchlist.operations)
    , m_theme(theme)
    , m_model(new ActivityListModel(watchlist.state, this))
    , m_title(new QLabel(QStringLiteral("Activity Log"), this))
    , m_clear(new FlatButton(theme, QStringLiteral("Clear"), this))
    , m_pages(new QStackedWidget(this))
    , m_list(new QListView(m_pages))
    , m_empty(new QWidget(m_pages))
    , m_emptyTitle(new QLabel(QStringLiteral("No activity yet"), m_empty))
    , m_emptyNote(
          new QLabel(QStringLiteral("Lumivane will log everything it does here"), m_empty)) {
    setObjectName(QStringLiteral("activityView"));
    QFont titleFont = m_title->font();
    titleFont.setPixelSize(18);
    titleFont.setWeight(QFont::Bold);
    m_title->setFont(titleFont);
    m_clear->setObjectName(QStringLiteral("clearActivityButton"));
    m_clear->setTextRole(Theme::Role::secondaryText);
    m_clear->setFixedHeight(26);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(22, 18, 18, 6);
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_clear);

    m_list->setObjectName(QStringLiteral("activityList"));
    m_list->setItemDelegate(new ActivityDelegate(theme, m_list));
    m_list->setModel(m_model);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    // Arrows read the log line by line; a resize wraps the messages again.
    m_list->setFocusPolicy(Qt::StrongFocus);
    m_list->setAccessibleName(QStringLiteral("Activity Log"));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setUniformItemSizes(false);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->verticalScrollBar()->setSingleStep(12);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setMouseTracking(true);
    m_list->setAttribute(Qt::WA_TranslucentBackground);
    m_list->viewport()->setAutoFillBackground(false);

    m_empty->setObjectName(QStringLiteral("activityEmpty"));
    auto* emptyColumn = new QVBoxLayout(m_empty);
    emptyColumn->addStretch(1);
    emptyColumn->addWidget(new SymbolView(theme, QStringLiteral("list.bullet.clipboard"),
                                          Theme::Role::faintText, 44, m_empty),
                           0, Qt::AlignHCenter);
    emptyColumn->addSpacing(10);
    emptyColumn->addWidget(m_emptyTitle, 0, Qt::AlignHCenter);
    emptyColumn->addWidget(m_emptyNote, 0, Qt::AlignHCenter);
    emptyColumn->addStretch(1);
    emptyColumn->addSpacing(24); // the eye reads the middle a little higher
    QFont f = m_emptyTitle->font();
    f.setPixelSize(15);
    f.setWeight(QFont::DemiBold);
    m_emptyTitle->setFont(f);
    f.setPixelSize(12);
    f.setWeight(QFont::Normal);
    m_emptyNote->setFont(f);

    m_pages->addWidget(m_list);
    m_pages->addWidget(m_empty);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    auto* listMargins = new QHBoxLayout;
    listMargins->setContentsMargins(18, 0, 10, 0);
    listMargins->addWidget(m_pages);
    column->addLayout(listMargins, 1);

    connect(m_clear, &QAbstractButton::clicked, this, [this] { m_operations.clearActivity(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, &ActivityView::showEmptyOrList);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &ActivityView::showEmptyOrList);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &ActivityView::showEmptyOrList);
    connect(&m_theme, &Theme::changed, this, &ActivityView::applyTheme);
    applyTheme();
    showEmptyOrList();
}

void ActivityView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_model->refreshToday(); // the window may have slept past midnight
}

void ActivityView::showEmptyOrList() {
    const bool empty = m_model->rowCount() == 0;
    m_pages->setCurrentWidget(empty ? m_empty : static_cast<QWidget*>(m_list));
    m_clear->setEnabled(!empty);
    m_clear->setVisible(!empty);
}

void ActivityView::applyTheme() {
    const auto tint = [&](QLabel* label, Theme::Role role) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, m_theme.color(role));
        label->setPalette(pal);
    };
    tint(m_title, Theme::Role::text);
    tint(m_emptyTitle, Theme::Role::text);
    tint(m_emptyNote, Theme::Role::secondaryText);
    m_list->verticalScrollBar()->setStyleSheet(m_theme.thinScrollBarStyle());
    m_list->viewport()->update();
}
