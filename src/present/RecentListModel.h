#pragma once

#include "EpisodeDrawerModel.h"
#include "KeyedRowModel.h"

#include <QString>

// One line of the drawer's Recent tab: a download of the series, or the alternates that open
// under the download they would replace.
struct RecentListRow {
    enum class Kind { download, alternates };

    QString id; // the record's id, or the id and "/alternates" for the panel under it
    Kind kind = Kind::download;
    QString recordID;
    QString episode;
    QString title; // the release's title; the panel's heading
    QString stateLine;
    EpisodeDrawerTexts::Tone tone = EpisodeDrawerTexts::Tone::quiet; // of the state line
    bool flagged = false; // stuck long enough to offer its three actions
    QString note;         // the panel's: searching, none found, unreachable
    EpisodeDrawerTexts::Tone noteTone = EpisodeDrawerTexts::Tone::quiet;
    QList<EpisodeDrawerModel::ReleaseRow> releases;
    bool operator==(const RecentListRow&) const = default;
};

// The series' downloads as list rows, newest first, read from the drawer's model whenever it
// changes; only rows that read differently change, and the alternates come and go as a row.
class RecentListModel final : public KeyedRowModel<RecentListRow> {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecentListModel)

public:
    using Row = RecentListRow;
    enum Role {
        KindRole = Qt::UserRole + 1, // int, Row::Kind
        RecordIdRole,
        EpisodeRole,
        TitleRole,
        StateLineRole,
        StateToneRole, // int, EpisodeDrawerTexts::Tone
        FlaggedRole,   // whether the row offers its actions
    };

    explicit RecentListModel(EpisodeDrawerModel& drawer, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

    void refresh() override;

private:
    EpisodeDrawerModel& m_drawer;
};
