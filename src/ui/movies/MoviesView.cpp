#include "MoviesView.h"

#include "EpisodeDrawerTexts.h"
#include "ImageLoader.h"
#include "MovieListModel.h"
#include "MovieQualityPopover.h"
#include "MovieRowText.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

MoviesView::MoviesView(const Watchlist& watchlist, Theme& theme, ImageLoader& images,
                       QWidget* parent)
    : QWidget(parent)
    , m_watchlist(watchlist)
    , m_theme(theme)
    , m_images(images)
    , m_model(new MovieListModel(watchlist.state, this)) {
    setObjectName(QStringLiteral("moviesView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(18, 16, 18, 10);
    m_title = new QLabel(MovieRowText::kTitle, this);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setWeight(QFont::Bold);
    m_title->setFont(titleFont);
    header->addWidget(m_title);
    header->addStretch();
    header->addWidget(makeAddButton(QStringLiteral("addMovieButton")));
    layout->addLayout(header);

    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages, 1);

    m_scroll = new QScrollArea(m_pages);
    m_scroll->setObjectName(QStringLiteral("movieList"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_rowsHost = new QWidget(m_scroll);
    m_rowsLayout = new QVBoxLayout(m_rowsHost);
    m_rowsLayout->setContentsMargins(4, 0, 4, 8);
    m_rowsLayout->setSpacing(0);
    m_rowsLayout->addStretch(1);
    m_scroll->setWidget(m_rowsHost);
    m_pages->addWidget(m_scroll);

    m_empty = new QWidget(m_pages);
    auto* empty = new QVBoxLayout(m_empty);
    empty->addStretch(2);
    m_emptySymbol = new QLabel(m_empty);
    m_emptySymbol->setObjectName(QStringLiteral("emptyStateSymbol"));
    m_emptySymbol->setAlignment(Qt::AlignCenter);
    empty->addWidget(m_emptySymbol);
    m_emptyTitle = new QLabel(MovieRowText::kEmptyTitle, m_empty);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    QFont emptyFont = m_emptyTitle->font();
    emptyFont.setPointSizeF(emptyFont.pointSizeF() * 1.2);
    emptyFont.setWeight(QFont::DemiBold);
    m_emptyTitle->setFont(emptyFont);
    empty->addWidget(m_emptyTitle);
    m_emptyLine = new QLabel(MovieRowText::kEmptyLine, m_empty);
    m_emptyLine->setAlignment(Qt::AlignCenter);
    m_emptyLine->setWordWrap(true);
    empty->addWidget(m_emptyLine);
    empty->addSpacing(10);
    auto* centred = new QHBoxLayout;
    centred->addStretch();
    centred->addWidget(makeAddButton(QStringLiteral("emptyStateAddMovieButton")));
    centred->addStretch();
    empty->addLayout(centred);
    empty->addStretch(3);
    m_pages->addWidget(m_empty);

    for (int i = 0; i < m_model->rowCount(); ++i)
        m_rows.append(makeRow(i));

    // One row at a time: a record's change touches its widget only.
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                for (int r = from.row(); r <= to.row(); ++r)
                    rowChanged(r);
            });
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                for (int r = first; r <= last; ++r)
                    m_rows.insert(r, makeRow(r));
                updateEmptyState();
            });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int first, int last) {
                for (int r = last; r >= first; --r) {
                    MovieRowWidget* gone = m_rows.takeAt(r);
                    m_alternates.remove(gone->row().id);
                    m_alternateTokens.remove(gone->row().id);
                    gone->deleteLater();
                    m_rowsLayout->removeWidget(gone);
                    gone->hide();
                }
                updateEmptyState();
            });
    connect(m_model, &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int from, int, const QModelIndex&, int to) {
                const int at = to > from ? to - 1 : to;
                MovieRowWidget* moved = m_rows.takeAt(from);
                m_rows.insert(at, moved);
                m_rowsLayout->removeWidget(moved);
                m_rowsLayout->insertWidget(at, moved);
            });
    connect(&m_theme, &Theme::changed, this, &MoviesView::restyle);
    restyle();
    updateEmptyState();
}

MoviesView::~MoviesView() = default;

QPushButton* MoviesView::makeAddButton(const QString& objectName) {
    auto* button = new QPushButton(MovieRowText::kAddMovie, this);
    button->setObjectName(objectName);
    button->setAccessibleName(MovieRowText::kAddMovie);
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(QSize(14, 14));
    connect(button, &QPushButton::clicked, this, &MoviesView::addMovieRequested);
    m_addButtons.append(button);
    return button;
}

void MoviesView::restyle() {
    setPalette(m_theme.palette());
    setAutoFillBackground(true);
    QPalette body = m_theme.palette();
    body.setColor(QPalette::Window, m_theme.color(Theme::Role::window));
    m_scroll->setPalette(body);
    m_rowsHost->setPalette(body);
    m_scroll->verticalScrollBar()->setStyleSheet(m_theme.thinScrollBarStyle());
    QPalette secondary = m_theme.palette();
    secondary.setColor(QPalette::WindowText, m_theme.color(Theme::Role::secondaryText));
    m_emptyLine->setPalette(secondary);
    m_emptySymbol->setPixmap(m_theme.symbol(QStringLiteral("film"), Theme::Role::faintText)
                                 .pixmap(QSize(44, 44), devicePixelRatioF()));
    const QString style =
        QStringLiteral("QPushButton { background: %1; color: %2; border: none; border-radius: 8px;"
                       " padding: 6px 14px; font-weight: 600; }"
                       "QPushButton:hover { background: %3; }"
                       "QPushButton:focus { outline: none; border: 2px solid %4; }")
            .arg(m_theme.color(Theme::Role::accent).name(),
                 m_theme.color(Theme::Role::accentText).name(),
                 m_theme.color(Theme::Role::accent).lighter(112).name(),
                 m_theme.color(Theme::Role::text).name());
    for (QPushButton* button : std::as_const(m_addButtons)) {
        button->setStyleSheet(style);
        button->setIcon(m_theme.symbol(QStringLiteral("plus"), Theme::Role::accentText));
    }
}

void MoviesView::updateEmptyState() {
    m_pages->setCurrentWidget(m_model->rowCount() == 0 ? m_empty
                                                       : static_cast<QWidget*>(m_scroll));
}

void MoviesView::showEvent(QShowEvent* event) {
    m_model->setLive(true);
    m_model->refresh(); // stuck times move on while hidden
    QWidget::showEvent(event);
}

void MoviesView::hideEvent(QHideEvent* event) {
    m_model->setLive(false);
    QWidget::hideEvent(event);
}

MovieRowWidget* MoviesView::rowWidget(int row) const {
    return m_rows.value(row);
}

int MoviesView::rowOf(const MovieRowWidget* widget) const {
    return static_cast<int>(m_rows.indexOf(const_cast<MovieRowWidget*>(widget)));
}

MovieRowWidget* MoviesView::makeRow(int row) {
    auto* widget = new MovieRowWidget(m_theme, m_rowsHost);
    widget->setRow(m_model->row(row));
    m_rowsLayout->insertWidget(row, widget);
    wire(widget);
    loadPoster(widget);
    return widget;
}

void MoviesView::rowChanged(int row) {
    MovieRowWidget* widget = m_rows.value(row);
    if (!widget)
        return;
    const QString oldPoster = widget->row().posterPath;
    widget->setRow(m_model->row(row));
    if (!m_model->row(row).flagged)
        m_alternates.remove(m_model->row(row).id);
    if (widget->row().posterPath != oldPoster)
        loadPoster(widget);
}

void MoviesView::loadPoster(MovieRowWidget* widget) {
    const QString path = widget->row().posterPath;
    if (path.isEmpty())
        return;
    m_images.load(path, QStringLiteral("w92"), widget, [widget, path](const QImage& image) {
        if (image.isNull() || widget->row().posterPath != path)
            return; // the placeholder stays
        const qreal ratio = widget->devicePixelRatioF();
        QPixmap thumb = QPixmap::fromImage(image.scaled(QSize(46, 69) * ratio,
                                                        Qt::KeepAspectRatioByExpanding,
                                                        Qt::SmoothTransformation));
        thumb.setDevicePixelRatio(ratio);
        widget->setPoster(thumb);
    });
}

void MoviesView::wire(MovieRowWidget* widget) {
    // Rows move: each action looks its row up when it happens.
    connect(widget, &MovieRowWidget::qualityClicked, this,
            [this, widget] { openQualityPopover(rowOf(widget)); });
    connect(widget, &MovieRowWidget::trashClicked, this,
            [this, widget] { m_watchlist.operations.removeMovie(widget->row().id); });
    connect(widget, &MovieRowWidget::menuRequested, this, [this, widget](const QPoint& at) {
        QMenu* menu = contextMenu(rowOf(widget), this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(at);
    });
    connect(widget, &MovieRowWidget::stepRequested, this, [this, widget](int delta) {
        const int to = rowOf(widget) + delta;
        if (to < 0 || to >= m_rows.size())
            return;
        m_rows[to]->setFocus(delta < 0 ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        m_scroll->ensureWidgetVisible(m_rows[to]);
    });
    connect(widget, &MovieRowWidget::findAlternateClicked, this,
            [this, widget] { findAlternates(rowOf(widget)); });
    connect(widget, &MovieRowWidget::removeRequestClicked, this, [this, widget] {
        if (widget->row().runningHash)
            m_watchlist.operations.removeDownload(*widget->row().runningHash);
    });
    connect(widget, &MovieRowWidget::snoozeClicked, this, [this, widget] {
        if (widget->row().runningHash)
            m_watchlist.operations.snoozeStaleFor(*widget->row().runningHash,
                                                  MovieRowText::kSnoozeDays);
    });
    connect(widget, &MovieRowWidget::alternateChosen, this,
            [this, widget](const SearchResult& release) {
                const auto& hash = widget->row().runningHash;
                if (!hash)
                    return;
                for (const DownloadRecord& record : m_watchlist.state.history()) {
                    if (record.id == *hash) {
                        m_watchlist.operations.switchMovieRelease(record, release);
                        break;
                    }
                }
                m_alternates.remove(widget->row().id);
                widget->setAlternates({});
            });
}

QMenu* MoviesView::contextMenu(int row, QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("movieMenu"));
    if (row < 0 || row >= m_model->rowCount())
        return menu;
    const QUuid id = m_model->row(row).id;
    for (const MovieRowText::MenuItem& item : m_model->menuItems(row)) {
        using Action = MovieRowText::MenuAction;
        if (item.action == Action::separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.label);
        connect(action, &QAction::triggered, this, [this, id, kind = item.action] {
            const Movie* movie = m_watchlist.state.movie(id);
            if (!movie)
                return;
            switch (kind) {
            case Action::toggleEnabled:
                m_watchlist.operations.setMovieEnabled(id, !movie->isEnabled);
                break;
            case Action::searchNow:
                m_watchlist.operations.huntMovie(id);
                break;
            case Action::clearStatus:
                m_watchlist.operations.clearMovieStatus(id);
                break;
            case Action::remove:
                m_watchlist.operations.removeMovie(id);
                break;
            case Action::separator:
                break;
            }
        });
    }
    return menu;
}

void MoviesView::openQualityPopover(int row) {
    MovieRowWidget* widget = m_rows.value(row);
    if (!widget)
        return;
    if (m_popover)
        m_popover->close();
    const QUuid id = widget->row().id;
    auto* popover = new MovieQualityPopover(m_theme, widget->row().quality, this);
    connect(popover, &MovieQualityPopover::applied, this,
            [this, id](Show::Quality quality) { m_watchlist.operations.setMovieQuality(id, quality); });
    m_popover = popover;
    QWidget* anchor = widget->findChild<QWidget*>(QStringLiteral("movieRow.quality"));
    const QRect at = anchor ? QRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size())
                            : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    popover->popUpBelow(at);
}

void MoviesView::findAlternates(int row) {
    MovieRowWidget* widget = m_rows.value(row);
    if (!widget || !widget->row().runningHash)
        return;
    const Movie* movie = m_watchlist.state.movie(widget->row().id);
    if (!movie)
        return;
    const QUuid token = QUuid::createUuid();
    m_alternateTokens.insert(movie->id, token);
    MovieRowWidget::Alternates searching;
    searching.shown = searching.searching = true;
    m_alternates.insert(movie->id, searching);
    widget->setAlternates(searching);
    searchAlternates(movie->id, movie->searchAlias.value_or(movie->name),
                     *widget->row().runningHash, movie->rejectedHashes, token);
}

QCoro::Task<> MoviesView::searchAlternates(QUuid movieID, QString title, QString runningHash,
                                           QStringList rejected, QUuid token) {
    QPointer<MoviesView> self(this);
    // Every resolution: a stuck download is better replaced by any healthy copy.
    const ReleaseFinder::Releases found =
        co_await m_watchlist.releases.movieReleases(title, std::nullopt);
    if (!self || m_alternateTokens.value(movieID) != token)
        co_return;
    MovieRowWidget::Alternates listed;
    listed.shown = true;
    listed.releases = MovieRowText::alternates(found.results, runningHash, rejected);
    listed.emptyText = found.indexesUnreachable ? EpisodeDrawerTexts::indexesUnreachableText()
                                                : MovieRowText::kNoAlternates;
    m_alternates.insert(movieID, listed);
    const int row = m_model->rowOf(movieID);
    if (MovieRowWidget* widget = m_rows.value(row))
        widget->setAlternates(listed);
}
