#include "MovieListModel.h"

#include "api/PublishedState.h"

MovieListModel::MovieListModel(PublishedState& state, QObject* parent)
    : KeyedRowModel(parent)
    , m_state(state) {
    for (const Movie& movie : m_state.movies())
        m_rows.append(rowFor(movie));
    connect(&m_state, &PublishedState::moviesChanged, this, &MovieListModel::recordsChanged);
    connect(&m_state, &PublishedState::historyChanged, this, &MovieListModel::recordsChanged);
    connect(&m_state, &PublishedState::settingsChanged, this, &MovieListModel::recordsChanged);
}

MovieListModel::Row MovieListModel::rowFor(const Movie& movie) const {
    Row row;
    row.id = movie.id;
    row.title = MovieRowText::titleLine(movie);
    row.initials = movie.name.left(1).toUpper();
    row.posterPath = movie.posterPath.value_or(QString());
    row.status = MovieRowText::statusLine(movie);
    row.quality = movie.quality;
    row.qualityLabel = ShowRowText::qualityLabel(movie.quality);
    row.trashTooltip = MovieRowText::trashTooltip(movie);
    // Only a download the list can still act on: a finished movie says so on its status line.
    if (!movie.downloaded) {
        if (const auto running = MovieRowText::runningDownload(m_state.historyRows(movie.id))) {
            row.downloadLine = MovieRowText::downloadLine(*running, m_state.now());
            row.runningHash = running->id;
            row.flagged = running->isStale(m_state.settings().staleNudgeDays, m_state.now());
        }
    }
    return row;
}

QVariant MovieListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& r = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case TitleRole:
    case Qt::AccessibleTextRole:
        return r.title;
    case Qt::AccessibleDescriptionRole:
        return r.downloadLine.isEmpty() ? r.status.text
                                        : r.status.text + QStringLiteral(", ") + r.downloadLine;
    case IdRole:
        return r.id;
    case InitialsRole:
        return r.initials;
    case PosterPathRole:
        return r.posterPath;
    case StatusLineRole:
        return r.status.text;
    case StatusToneRole:
        return static_cast<int>(r.status.tone);
    case QualityLabelRole:
        return r.qualityLabel;
    case TrashTooltipRole:
        return r.trashTooltip;
    case DownloadLineRole:
        return r.downloadLine;
    case FlaggedRole:
        return r.flagged;
    default:
        return {};
    }
}

QHash<int, QByteArray> MovieListModel::roleNames() const {
    return {{IdRole, "movieID"},
            {TitleRole, "title"},
            {InitialsRole, "initials"},
            {PosterPathRole, "posterPath"},
            {StatusLineRole, "statusLine"},
            {StatusToneRole, "statusTone"},
            {QualityLabelRole, "qualityLabel"},
            {TrashTooltipRole, "trashTooltip"},
            {DownloadLineRole, "downloadLine"},
            {FlaggedRole, "flagged"}};
}

QList<MovieRowText::MenuItem> MovieListModel::menuItems(int row) const {
    if (const Movie* movie = m_state.movie(m_rows.at(row).id))
        return MovieRowText::menuItems(*movie);
    return {};
}

void MovieListModel::refresh() {
    QList<Row> next;
    next.reserve(m_state.movies().size());
    for (const Movie& movie : m_state.movies())
        next.append(rowFor(movie));
    publish(next);
}
