#pragma once

#include "Popover.h"
#include "ShowRowDelegate.h"
#include "api/Watchlist.h"

#include <QHash>
#include <QSet>
#include <QUuid>
#include <QWidget>

class ImageLoader;
class QAbstractButton;
class PickList;
class QKeyEvent;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTimer;
class ShowListModel;
class ShowRowActions;
class ShowRowControls;
class Theme;

// The Series tab: the header with "Add Series", the empty state, and the list of series with
// one row expanded at a time. Every change goes to the store; the view keeps only which row
// is expanded and what the mouse is over. The row's menu and popovers, what a key does and the
// stand-ins a screen reader finds have their own classes.
class ShowsView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowsView)

public:
    ShowsView(const Watchlist& watchlist, Theme& theme, ImageLoader& images,
              QWidget* parent = nullptr);
    ~ShowsView() override;

    QUuid expandedShowID() const { return m_expandedID; }
    // Expands the series' row, or collapses it when it was the expanded one.
    void toggleExpanded(const QUuid& id);

    ShowListModel& model() const { return *m_model; }
    QListView* list() const;
    // Where a control of a row is drawn, in the list viewport's coordinates.
    QRect controlRect(int row, ShowRowDelegate::Part part) const;
    // The row's context menu, ready to show; the caller owns it.
    QMenu* contextMenu(int row, QWidget* parent);
    void openQualityPopover(int row);
    void openReleasePicker(int row);
    Popover* openPopover() const;
    // The control of the current row that the keyboard is on.
    ShowRowDelegate::Part focusPart() const { return m_delegate->focusPart(); }
    // The widget a screen reader finds for a control of the expanded row; null when that row
    // shows no such control or no row is expanded.
    QAbstractButton* rowControl(ShowRowDelegate::Part part) const;
    // Back to how the tab first opens: no row expanded, no popover, the top row current.
    void resetView();

Q_SIGNALS:
    void addSeriesRequested();
    void episodesRequested(QUuid showID);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPushButton* makeAddButton(const QString& objectName);
    void restyle();
    void updateEmptyState();
    void click(const QModelIndex& index, ShowRowDelegate::Part part);
    void setHover(const QModelIndex& index, ShowRowDelegate::Part part);
    ShowRowDelegate::Part partAt(const QModelIndex& index, QPoint pos) const;
    QPixmap posterFor(const QModelIndex& index);
    QRect globalRect(int row, ShowRowDelegate::Part part) const;
    QUuid idAt(int row) const;
    bool keyOnList(QKeyEvent* key);
    QList<ShowRowDelegate::Part> focusableParts(int row) const;
    void setFocusPart(ShowRowDelegate::Part part);
    void openContextMenuAt(int row);
    void makeRowControls();
    void placeRowControls();

    Watchlist m_watchlist;
    Theme& m_theme;
    ImageLoader& m_images;
    ShowListModel* m_model;
    ShowRowDelegate* m_delegate;
    QLabel* m_title;
    QList<QPushButton*> m_addButtons;
    QStackedWidget* m_pages;
    PickList* m_list;
    QWidget* m_empty;
    QLabel* m_emptyTitle;
    QLabel* m_emptyLine;
    QTimer* m_clockTimer;
    QUuid m_expandedID;
    // Invisible stand-ins for the expanded row's painted controls, for screen readers.
    ShowRowControls* m_rowControls = nullptr;
    ShowRowActions* m_actions = nullptr; // the row's menu and popovers
    QHash<QString, QPixmap> m_posters; // by poster path, scaled to the thumbnail
    QSet<QString> m_asked;             // poster paths already requested
};
