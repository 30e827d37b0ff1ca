#pragma once

#include "Theme.h"
#include "metadata/TMDBClient.h"
#include "model/SearchResult.h"

#include <QAbstractListModel>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QStyledItemDelegate>

class AddShowModel;
class ImageLoader;

// The list's property that says the keyboard, not the mouse, put the focus on it.
inline constexpr char kKeyboardRing[] = "keyboardRing";

// The rows of the results panel: TMDB matches or releases, as the flow's model lists them.
// A new list resets the rows; a tick changes one row.
class AddShowResultsList final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Roles {
        KindRole = Qt::UserRole + 1, // "match" or "release"
        DetailRole,                  // overview, or the release's detail line
        TickedRole,
        ThumbnailRole, // QImage, null until loaded or without a poster
    };

    AddShowResultsList(AddShowModel& model, ImageLoader& images, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // What a click on `row` means: confirm the match or tick the release.
    void activate(int row);

private:
    void reload();
    void ticked(const QString& releaseID);

    AddShowModel& m_model;
    ImageLoader& m_images;
    bool m_releases = false;
    QList<SeriesResult> m_matches;
    QList<SearchResult> m_rows;
    mutable QHash<int, QImage> m_thumbnails; // by TMDB id
    mutable QSet<int> m_asked;
};

// Paints one row: a thumbnail, a name and an overview for a match; a tick box, a title and
// a detail line for a release.
class AddShowResultsDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    // `movie`: a film placeholder for matches, and a single choice (a radio mark) for releases.
    explicit AddShowResultsDelegate(Theme& theme, bool movie = false, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    Theme& m_theme;
    bool m_movie;
};
