#include "AddShowResultsList.h"

#include "AccessibleText.h"
#include "AddShowModel.h"
#include "AddShowStyle.h"
#include "AddShowText.h"
#include "ImageLoader.h"

#include <QPainter>
#include <QPainterPath>

AddShowResultsList::AddShowResultsList(AddShowModel& model, ImageLoader& images, QObject* parent)
    : QAbstractListModel(parent)
    , m_model(model)
    , m_images(images) {
    reload();
    connect(&m_model, &AddShowModel::resultsChanged, this, &AddShowResultsList::reload);
    connect(&m_model, &AddShowModel::pickToggled, this, &AddShowResultsList::ticked);
}

void AddShowResultsList::reload() {
    beginResetModel();
    m_releases = m_model.mode() == AddShowModel::ResultsMode::releases;
    m_matches = m_model.mode() == AddShowModel::ResultsMode::shows ? m_model.showMatches()
                                                                   : QList<SeriesResult>{};
    m_rows = m_releases ? m_model.listedResults() : QList<SearchResult>{};
    endResetModel();
}

void AddShowResultsList::ticked(const QString& releaseID) {
    for (int row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].id == releaseID) {
            const QModelIndex at = index(row);
            Q_EMIT dataChanged(at, at, {TickedRole, Qt::AccessibleDescriptionRole});
            return;
        }
    }
}

int AddShowResultsList::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return int(m_releases ? m_rows.size() : m_matches.size());
}

QVariant AddShowResultsList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (m_releases) {
        const SearchResult& r = m_rows[index.row()];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return r.title;
        case Qt::AccessibleDescriptionRole:
            return accessible::releaseRowDescription(AddShowText::releaseDetail(r),
                                                     m_model.picked().contains(r.id));
        case KindRole:
            return QStringLiteral("release");
        case DetailRole:
            return AddShowText::releaseDetail(r);
        case TickedRole:
            return m_model.picked().contains(r.id);
        default:
            return {};
        }
    }
    const SeriesResult& m = m_matches[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return AddShowText::matchTitle(m);
    case Qt::AccessibleDescriptionRole:
        return m.overview;
    case KindRole:
        return QStringLiteral("match");
    case DetailRole:
        return m.overview;
    case ThumbnailRole: {
        if (!m_asked.contains(m.id) && m.posterPath) {
            m_asked.insert(m.id);
            const int id = m.id;
            auto* self = const_cast<AddShowResultsList*>(this);
            m_images.load(m.posterPath, QStringLiteral("w92"), self,
                          [self, id](const QImage& image) {
                              if (image.isNull())
                                  return;
                              self->m_thumbnails.insert(id, image);
                              for (int row = 0; row < self->m_matches.size(); ++row) {
                                  if (self->m_matches[row].id == id)
                                      Q_EMIT self->dataChanged(self->index(row), self->index(row),
                                                               {ThumbnailRole});
                              }
                          });
        }
        return QVariant::fromValue(m_thumbnails.value(m.id));
    }
    default:
        return {};
    }
}

void AddShowResultsList::activate(int row) {
    if (row < 0 || row >= rowCount())
        return;
    if (m_releases)
        m_model.togglePick(m_rows[row].id);
    else
        m_model.pickMatch(row);
}

// ---- painting ---------------------------------------------------------------------------------

AddShowResultsDelegate::AddShowResultsDelegate(Theme& theme, bool movie, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_theme(theme)
    , m_movie(movie) {}

QSize AddShowResultsDelegate::sizeHint(const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    const bool match =
        index.data(AddShowResultsList::KindRole).toString() == QLatin1String("match");
    return {option.rect.width(), match ? 76 : 50};
}

void AddShowResultsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect row = option.rect.adjusted(6, 2, -6, -2);
    if (option.state & QStyle::State_MouseOver) {
        QPainterPath hover;
        hover.addRoundedRect(row, 8, 8);
        painter->fillPath(hover, m_theme.color(Theme::Role::surfaceHover));
    }
    const bool match =
        index.data(AddShowResultsList::KindRole).toString() == QLatin1String("match");
    const QFont titleFont = AddShowStyle::scaled(option.font, 1.0, QFont::DemiBold);
    const QFont detailFont = AddShowStyle::scaled(option.font, 0.88);
    const QString title = index.data(Qt::DisplayRole).toString();
    const QString detail = index.data(AddShowResultsList::DetailRole).toString();

    QRect text;
    if (match) {
        const QRect thumb(row.left() + 8, row.top() + 5, 44, row.height() - 10);
        QPainterPath clip;
        clip.addRoundedRect(thumb, 5, 5);
        const QImage image = index.data(AddShowResultsList::ThumbnailRole).value<QImage>();
        if (image.isNull()) {
            painter->fillPath(clip, m_theme.color(Theme::Role::selection));
            m_theme.symbol(m_movie ? QStringLiteral("film") : QStringLiteral("tv"),
                           Theme::Role::secondaryText)
                .paint(painter, thumb.adjusted(10, 18, -10, -18));
        } else {
            painter->setClipPath(clip);
            painter->drawImage(thumb, image);
            painter->setClipping(false);
        }
        text = QRect(thumb.right() + 12, row.top() + 8, row.right() - thumb.right() - 40,
                     row.height() - 14);
        m_theme.symbol(QStringLiteral("chevron.right"), Theme::Role::faintText)
            .paint(painter, QRect(row.right() - 20, row.center().y() - 6, 12, 12));
    } else {
        const bool ticked = index.data(AddShowResultsList::TickedRole).toBool();
        const QRect box(row.left() + 8, row.center().y() - 10, 20, 20);
        m_theme
            .symbol(m_movie ? (ticked ? QStringLiteral("largecircle.fill.circle")
                                      : QStringLiteral("circle"))
                            : (ticked ? QStringLiteral("checkmark.square.fill")
                                      : QStringLiteral("square")),
                    ticked ? Theme::Role::accent : Theme::Role::secondaryText)
            .paint(painter, box);
        text = QRect(box.right() + 12, row.top() + 6, row.right() - box.right() - 20,
                     row.height() - 12);
    }

    const QFontMetrics titleMetrics(titleFont);
    painter->setFont(titleFont);
    painter->setPen(m_theme.color(Theme::Role::text));
    painter->drawText(QRect(text.left(), text.top(), text.width(), titleMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      titleMetrics.elidedText(title, Qt::ElideRight, text.width()));
    painter->setFont(detailFont);
    painter->setPen(m_theme.color(Theme::Role::secondaryText));
    const QRect below(text.left(), text.top() + titleMetrics.height() + 2, text.width(),
                      text.height() - titleMetrics.height() - 2);
    const QFontMetrics detailMetrics(detailFont);
    if (match) {
        // Two lines of the overview at most.
        QString shown = detail;
        const int lines = qMax(1, below.height() / detailMetrics.lineSpacing());
        if (detailMetrics.boundingRect(below, Qt::TextWordWrap, shown).height() > below.height()) {
            while (!shown.isEmpty() &&
                   detailMetrics.boundingRect(below, Qt::TextWordWrap, shown + u'…').height() >
                       lines * detailMetrics.lineSpacing())
                shown.chop(qMax<qsizetype>(1, shown.size() / 20));
            shown = shown.trimmed() + u'…';
        }
        painter->drawText(below, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown);
    } else {
        painter->drawText(below, Qt::AlignLeft | Qt::AlignTop,
                          detailMetrics.elidedText(detail, Qt::ElideRight, below.width()));
    }
    painter->setPen(QPen(m_theme.color(Theme::Role::separator), 1));
    painter->drawLine(QPoint(text.left(), option.rect.bottom()),
                      QPoint(option.rect.right() - 12, option.rect.bottom()));
    // The row the arrow keys are on, while the list has the keyboard.
    if ((option.state & QStyle::State_HasFocus) && option.widget &&
        option.widget->property(kKeyboardRing).toBool())
        m_theme.paintFocusRing(*painter, row, 8);
    painter->restore();
}
