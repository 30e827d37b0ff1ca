#pragma once

#include "KeyedRowModel.h"
#include "MovieRowText.h"

#include <QUuid>

#include <optional>

class PublishedState;

// Everything one movie row shows, computed once per change.
struct MovieListRow {
    QUuid id;
    QString title; // with the year
    QString initials;
    QString posterPath;
    MovieRowText::StatusLine status;
    QString qualityLabel;
    Show::Quality quality = Show::Quality::p1080;
    QString trashTooltip;
    QString downloadLine; // peers and stuck time of a download under way; empty otherwise
    std::optional<QString> runningHash;
    bool flagged = false; // stuck long enough to offer the three actions
    bool operator==(const MovieListRow&) const = default;
};

// The movie list as rows, in the store's order; each store signal is answered with the
// smallest change, as the series list does.
class MovieListModel final : public KeyedRowModel<MovieListRow> {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MovieListModel)

public:
    using Row = MovieListRow;
    enum Role {
        IdRole = Qt::UserRole + 1,
        TitleRole,
        InitialsRole,
        PosterPathRole,
        StatusLineRole,
        StatusToneRole, // int, MovieRowText::Tone
        QualityLabelRole,
        TrashTooltipRole,
        DownloadLineRole,
        FlaggedRole,
    };

    explicit MovieListModel(PublishedState& state, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    QList<MovieRowText::MenuItem> menuItems(int row) const;

    void refresh() override;

private:
    Row rowFor(const Movie& movie) const;

    PublishedState& m_state;
};
