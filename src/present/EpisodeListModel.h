#pragma once

#include "EpisodeDrawerModel.h"
#include "KeyedRowModel.h"

#include <QString>

// One line of the drawer's episode list: an episode of the selected season, or the offer of
// other qualities that opens under the episode it is about.
struct EpisodeListRow {
    enum class Kind { episode, offer };

    QString id; // the episode code, or the code and "/offer" for the offer under it
    Kind kind = Kind::episode;
    QString code;
    QString title; // the episode's name; the offer's heading
    QString airDate;
    QString stateText;
    QString tooltip;
    EpisodeDrawerTexts::Tone tone = EpisodeDrawerTexts::Tone::action;
    bool pressable = false;
    bool busy = false;                              // a search or a download under way
    QList<EpisodeDrawerModel::ReleaseRow> releases; // what the offer lists
    bool operator==(const EpisodeListRow&) const = default;
};

// The selected season's episodes as list rows, read from the drawer's model whenever it
// changes: a row that reads differently gets dataChanged, the offer comes and goes as an
// inserted or removed row, and another season replaces the rows; never a reset.
class EpisodeListModel final : public KeyedRowModel<EpisodeListRow> {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EpisodeListModel)

public:
    using Row = EpisodeListRow;
    enum Role {
        KindRole = Qt::UserRole + 1, // int, Row::Kind
        CodeRole,
        TitleRole,
        AirDateRole,   // QString, empty without an air date
        StateTextRole, // "Grab", "Got it", …
        StateToneRole, // int, EpisodeDrawerTexts::Tone
        PressableRole, // whether the state is a button that does something now
        BusyRole,
        TooltipRole, // of the state, empty when it explains nothing
    };

    explicit EpisodeListModel(EpisodeDrawerModel& drawer, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The row of an episode, -1 when the season does not list it.
    int rowOfEpisode(const QString& code) const { return rowOf(code); }

    void refresh() override;

private:
    EpisodeDrawerModel& m_drawer;
};
