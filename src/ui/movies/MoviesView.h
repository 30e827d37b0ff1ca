#pragma once

#include "MovieRowWidget.h"
#include "api/Watchlist.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QUuid>
#include <QWidget>
#include <qcoro/qcorotask.h>

class ImageLoader;
class MovieListModel;
class Popover;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;
class Theme;

// The Movies tab: the header with "Add Movie", the empty state, and one row per wanted movie
// in the store's order. Rows are widgets (each reachable by Tab), kept in step with the list
// model one row at a time. Every change goes to the store; the view keeps only the open
// popover and the alternates a flagged download was offered.
class MoviesView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MoviesView)

public:
    MoviesView(const Watchlist& watchlist, Theme& theme, ImageLoader& images,
               QWidget* parent = nullptr);
    ~MoviesView() override;

    MovieListModel& model() const { return *m_model; }
    MovieRowWidget* rowWidget(int row) const;
    // The row's context menu, ready to show; the caller owns it.
    QMenu* contextMenu(int row, QWidget* parent);
    void openQualityPopover(int row);
    Popover* openPopover() const { return m_popover; }
    // Looks for releases the flagged download of the row could switch to.
    void findAlternates(int row);

Q_SIGNALS:
    void addMovieRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPushButton* makeAddButton(const QString& objectName);
    void restyle();
    void updateEmptyState();
    MovieRowWidget* makeRow(int row);
    void wire(MovieRowWidget* widget);
    void rowChanged(int row);
    void loadPoster(MovieRowWidget* widget);
    int rowOf(const MovieRowWidget* widget) const;
    QCoro::Task<> searchAlternates(QUuid movieID, QString title, QString runningHash,
                                   QStringList rejected, QUuid token);

    Watchlist m_watchlist;
    Theme& m_theme;
    ImageLoader& m_images;
    MovieListModel* m_model;
    QLabel* m_title;
    QList<QPushButton*> m_addButtons;
    QStackedWidget* m_pages;
    QScrollArea* m_scroll;
    QWidget* m_rowsHost;
    QVBoxLayout* m_rowsLayout;
    QList<MovieRowWidget*> m_rows; // in the model's order
    QWidget* m_empty;
    QLabel* m_emptySymbol;
    QLabel* m_emptyTitle;
    QLabel* m_emptyLine;
    QPointer<Popover> m_popover;
    QHash<QUuid, MovieRowWidget::Alternates> m_alternates;
    QHash<QUuid, QUuid> m_alternateTokens; // the latest search per movie
};
