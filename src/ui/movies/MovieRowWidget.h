#pragma once

#include "MovieListModel.h"
#include "Theme.h"

#include <QWidget>

class FlatButton;
class PillButton;
class QLabel;
class QPushButton;
class QVBoxLayout;

// One movie of the Movies tab: poster, title and year, status line, a running download's
// peers, the quality pill and the trash button; for a flagged download its three actions and
// the alternates found. It shows what it is given and reports clicks; the view acts on them.
class MovieRowWidget final : public QWidget {
    Q_OBJECT

public:
    // The alternates of a flagged download as the row shows them.
    struct Alternates {
        bool shown = false;
        bool searching = false;
        QList<SearchResult> releases;
        QString emptyText; // when the search came back with nothing, or failed
    };

    MovieRowWidget(Theme& theme, QWidget* parent = nullptr);

    void setRow(const MovieListRow& row);
    const MovieListRow& row() const { return m_row; }
    void setPoster(const QPixmap& poster);
    void setAlternates(const Alternates& alternates);

Q_SIGNALS:
    void qualityClicked();
    void trashClicked();
    void findAlternateClicked();
    void removeRequestClicked();
    void snoozeClicked();
    void alternateChosen(const SearchResult& release);
    void menuRequested(const QPoint& globalPos);
    // Up or Down on the focused row: the view moves the focus `delta` rows on.
    void stepRequested(int delta);

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void restyle();
    QColor toneColor(MovieRowText::Tone tone) const;

    Theme& m_theme;
    MovieListRow m_row;
    bool m_hovered = false;
    bool m_focusShown = false;
    QLabel* m_poster;
    QLabel* m_title;
    QLabel* m_status;
    QLabel* m_download;
    PillButton* m_quality;
    QPushButton* m_trash;
    QWidget* m_flagged;
    FlatButton* m_findAlternate;
    FlatButton* m_removeRequest;
    FlatButton* m_snooze;
    QWidget* m_alternates;
    QVBoxLayout* m_alternateRows;
};
