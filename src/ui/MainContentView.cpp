#include "MainContentView.h"

#include "AboutPopover.h"
#include "ActivityView.h"
#include "FlatButton.h"
#include "RoundedPanel.h"
#include "SidebarItem.h"
#include "StatusStrip.h"
#include "SymbolView.h"
#include "api/Watchlist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

int indexOf(SidebarTab tab) {
    const auto tabs = allSidebarTabs();
    return static_cast<int>(std::find(tabs.begin(), tabs.end(), tab) - tabs.begin());
}

void tint(QLabel* label, const Theme& theme, Theme::Role role) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, theme.color(role));
    label->setPalette(pal);
}

// A borderless symbol button (the close button).
class SymbolButton final : public QAbstractButton {
public:
    SymbolButton(Theme& theme, QString symbol, QWidget* parent)
        : QAbstractButton(parent)
        , m_theme(theme)
        , m_symbol(std::move(symbol)) {
        setFixedSize(22, 22);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const Theme::Role role = underMouse() ? Theme::Role::secondaryText : Theme::Role::faintText;
        m_theme.symbol(m_symbol, role).paint(&p, rect().adjusted(3, 3, -3, -3));
        if (hasFocus())
            m_theme.paintFocusRing(p, QRectF(rect()), height() / 2.0 - 1);
    }
    void enterEvent(QEnterEvent*) override { update(); }
    void leaveEvent(QEvent*) override { update(); }

private:
    Theme& m_theme;
    QString m_symbol;
};

} // namespace

MainContentView::MainContentView(const Watchlist& watchlist, Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_state(watchlist.state)
    , m_theme(theme) {
    setObjectName(QStringLiteral("mainContent"));
    setAttribute(Qt::WA_TranslucentBackground); // the rounded body is painted below

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("tabPages"));
    for (SidebarTab tab : allSidebarTabs()) {
        if (tab == SidebarTab::activity)
            m_pages->addWidget(new ActivityView(watchlist, theme, m_pages));
        else
            m_pages->addWidget(comingPanel(tab));
    }
    m_status = new StatusStrip(watchlist, theme, this);

    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    right->addWidget(m_pages, 1);
    right->addWidget(m_status);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_sidebar = buildSidebar();
    row->addWidget(m_sidebar);
    row->addLayout(right, 1);

    m_about = new AboutPopover(watchlist.state, theme, this);
    m_about->hide();
    // A click anywhere else in the window closes the popover.
    qApp->installEventFilter(this);

    connect(&m_state, &PublishedState::historyChanged, this, &MainContentView::refreshAttention);
    connect(&m_state, &PublishedState::showsChanged, this, &MainContentView::refreshAttention);
    connect(&m_state, &PublishedState::moviesChanged, this, &MainContentView::refreshAttention);
    connect(&m_state, &PublishedState::settingsChanged, this, &MainContentView::refreshAttention);
    connect(&m_theme, &Theme::changed, this, [this] {
        for (QLabel* label : findChildren<QLabel*>(QStringLiteral("sidebarTitle")))
            tint(label, m_theme, Theme::Role::text);
        for (QLabel* label : findChildren<QLabel*>(QStringLiteral("comingText")))
            tint(label, m_theme, Theme::Role::secondaryText);
        update();
    });
    refreshAttention();
    selectTab(SidebarTab::shows);

    // Ctrl+1 … Ctrl+5 pick the tabs in the sidebar's order.
    const auto tabs = allSidebarTabs();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + int(i))), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, i] {
            selectTab(allSidebarTabs()[i]);
            m_items[i]->setFocus(Qt::ShortcutFocusReason);
        });
    }
}

bool MainContentView::focusNextPrevChild(bool next) {
    // The regions in the order the eye reads them; a covering child (the drawer) alone.
    QList<QWidget*> regions;
    if (QWidget* covering = coveringChild())
        regions = {covering};
    else
        regions = {m_sidebar, m_pages, m_status};
    // Within a region, the order the widgets joined the window, as Qt's own chain keeps it.
    QList<QWidget*> order;
    for (QWidget* region : std::as_const(regions)) {
        QWidget* w = window();
        do {
            w = w->nextInFocusChain();
            if (region->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
                (w->focusPolicy() & Qt::TabFocus) && !order.contains(w))
                order.append(w);
        } while (w != window());
    }
    if (order.isEmpty())
        return QWidget::focusNextPrevChild(next);
    QWidget* current = QApplication::focusWidget();
    while (current && !order.contains(current) && current != this)
        current = current->parentWidget();
    const qsizetype at = current ? order.indexOf(current) : -1;
    const qsizetype n = order.size();
    const qsizetype to = at < 0 ? (next ? 0 : n - 1) : (at + (next ? 1 : n - 1)) % n;
    order[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void MainContentView::keyPressEvent(QKeyEvent* event) {
    // Reached only when nothing above (a popover, the drawer, a field) took the Escape.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Q_EMIT closeRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget* MainContentView::buildSidebar() {
    auto* sidebar = new QWidget(this);
    sidebar->setObjectName(QStringLiteral("sidebar"));
    sidebar->setFixedWidth(kSidebarWidth);
    auto* column = new QVBoxLayout(sidebar);
    column->setContentsMargins(0, 14, 0, 12);
    column->setSpacing(2);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(20, 0, 12, 0);
    auto* title = new QLabel(QStringLiteral("Lumivane"), sidebar);
    title->setObjectName(QStringLiteral("sidebarTitle"));
    QFont f = title->font();
    f.setPixelSize(16);
    f.setWeight(QFont::Bold);
    title->setFont(f);
    tint(title, m_theme, Theme::Role::text);
    auto* close = new SymbolButton(m_theme, QStringLiteral("xmark.circle.fill"), sidebar);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setToolTip(QStringLiteral("Close"));
    close->setAccessibleName(QStringLiteral("Close"));
    connect(close, &QAbstractButton::clicked, this, &MainContentView::closeRequested);
    header->addWidget(title);
    header->addStretch(1);
    header->addWidget(close);
    column->addLayout(header);
    column->addSpacing(14);

    const auto tabs = allSidebarTabs();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        auto* item = new SidebarItem(m_theme, tabs[i], sidebar);
        connect(item, &QAbstractButton::clicked, this, [this, tab = tabs[i]] { selectTab(tab); });
        m_items[i] = item;
        column->addWidget(item);
    }
    column->addStretch(1);

    const auto footButton = [&](const QString& text, const QString& symbol, const char* name) {
        auto* button = new FlatButton(m_theme, text, sidebar);
        button->setObjectName(QLatin1StringView(name));
        button->setSymbol(symbol);
        button->setTextRole(Theme::Role::secondaryText);
        auto* line = new QHBoxLayout;
        line->setContentsMargins(10, 0, 10, 0);
        line->addWidget(button);
        line->addStretch(1);
        column->addLayout(line);
        return button;
    };
    auto* home = footButton(QStringLiteral("Home Folder"), QStringLiteral("folder.fill"),
                            "homeFolderButton");
    home->setToolTip(QStringLiteral("Open the folder where your sorted, finished series live"));
    connect(home, &QAbstractButton::clicked, this, &MainContentView::openHomeFolder);
    m_aboutButton =
        footButton(QStringLiteral("About"), QStringLiteral("info.circle.fill"), "aboutButton");
    connect(m_aboutButton, &QAbstractButton::clicked, this, &MainContentView::toggleAbout);
    return sidebar;
}

QWidget* MainContentView::comingPanel(SidebarTab tab) {
    auto* panel = new QWidget(m_pages);
    panel->setObjectName(QStringLiteral("coming.") + toRaw(tab));
    auto* column = new QVBoxLayout(panel);
    column->addStretch(1);
    column->addWidget(
        new SymbolView(m_theme, sidebarTabSymbol(tab), Theme::Role::faintText, 40, panel), 0,
        Qt::AlignHCenter);
    column->addSpacing(10);
    auto* text = new QLabel(sidebarTabComingText(tab), panel);
    text->setObjectName(QStringLiteral("comingText"));
    QFont f = text->font();
    f.setPixelSize(13);
    text->setFont(f);
    tint(text, m_theme, Theme::Role::secondaryText);
    column->addWidget(text, 0, Qt::AlignHCenter);
    column->addStretch(1);
    column->addSpacing(24);
    return panel;
}

void MainContentView::setTabView(SidebarTab tab, QWidget* view) {
    const int i = indexOf(tab);
    QWidget* old = m_pages->widget(i);
    m_pages->insertWidget(i, view);
    m_pages->removeWidget(old);
    old->deleteLater();
    m_pages->setCurrentIndex(indexOf(m_selected));
}

void MainContentView::selectTab(SidebarTab tab) {
    m_selected = tab;
    for (SidebarItem* item : m_items)
        item->setSelected(item->tab() == tab);
    m_pages->setCurrentIndex(indexOf(tab));
    m_about->hide();
}

void MainContentView::refreshAttention() {
    const int series = m_state.flaggedSeriesCount();
    const int movies = m_state.flaggedMovieCount();
    for (SidebarItem* item : m_items)
        item->setState(sidebarItemState(item->tab(), series, movies));
}

void MainContentView::openHomeFolder() {
    const QUrl root = m_state.rootFolderURL();
    QDir().mkpath(root.toLocalFile()); // a deleted root comes back; a failure is left to the opener
    QDesktopServices::openUrl(root);
}

void MainContentView::toggleAbout() {
    if (m_about->isVisible()) {
        m_about->hide();
        return;
    }
    placeAbout();
    m_about->show();
    m_about->raise();
}

void MainContentView::placeAbout() {
    m_about->adjustSize();
    // Beside the sidebar, its foot level with the About button's.
    const QRect button = m_aboutButton->geometry().translated(m_aboutButton->parentWidget()->pos());
    const int y = std::max(0, button.bottom() + 14 - m_about->height());
    m_about->move(kSidebarWidth - 4, y);
}

void MainContentView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_about->isVisible())
        placeAbout();
}

void MainContentView::hideCovered() {
    if (!m_sidebar || !m_pages || !m_status)
        return; // still being built
    const bool covered = coveringChild() != nullptr;
    for (QWidget* region : {m_sidebar, static_cast<QWidget*>(m_pages), static_cast<QWidget*>(m_status)})
        region->setVisible(!covered);
}

QWidget* MainContentView::coveringChild() const {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden() && child != m_sidebar && child != m_pages && child != m_status &&
            !child->isWindow() && child->geometry().contains(rect()))
            return child;
    }
    return nullptr;
}

bool MainContentView::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) &&
        watched->parent() == this && watched != m_sidebar && watched != m_pages &&
        watched != m_status)
        hideCovered();
    if (m_about->isVisible()) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->window() == window() && !m_about->isAncestorOf(w) && w != m_about &&
                w != m_aboutButton)
                m_about->hide();
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_about->hide();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainContentView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshAttention();
}

void MainContentView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_about->hide();
    // The next opening starts on the series list, as the window first opened.
    selectTab(SidebarTab::shows);
    Q_EMIT windowHidden();
    for (SidebarItem* item : m_items)
        item->stopAnimations();
}

int MainContentView::cornerRadius() const {
    // Square inside a panel the desktop cannot round; round everywhere else.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* panel = qobject_cast<RoundedPanel*>(w))
            return panel->compositing() ? RoundedPanel::kRadius : 0;
    }
    return RoundedPanel::kRadius;
}

void MainContentView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int radius = cornerRadius();
    QPainterPath body;
    body.addRoundedRect(QRectF(rect()), radius, radius);
    p.setClipPath(body);
    p.fillRect(rect(), m_theme.color(Theme::Role::window));
    p.fillRect(QRect(0, 0, kSidebarWidth, height()), m_theme.color(Theme::Role::sidebar));
    p.setPen(m_theme.color(Theme::Role::separator));
    p.drawLine(QPointF(kSidebarWidth - 0.5, 0), QPointF(kSidebarWidth - 0.5, height()));
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    QPainterPath edge;
    edge.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.drawPath(edge);
}
