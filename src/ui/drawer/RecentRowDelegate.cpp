#include "RecentRowDelegate.h"

#include "DrawerButton.h"
#include "DrawerCards.h"
#include "present/RecentListModel.h"

#include <QPainter>

using Role = Theme::Role;
using Tone = EpisodeDrawerTexts::Tone;
using Model = RecentListModel;

namespace {

constexpr int kTopMargin = 6; // above the first card

struct Action {
    QString label;
    QString symbol;
};

const QList<Action>& actions() {
    static const QList<Action> all{
        {EpisodeDrawerModel::findAlternateLabel(), QStringLiteral("arrow.triangle.2.circlepath")},
        {EpisodeDrawerModel::removeRequestLabel(), QStringLiteral("xmark.circle")},
        {EpisodeDrawerModel::snoozeLabel(), QStringLiteral("moon.zzz")}};
    return all;
}

QFont boldFont(const QFont& base) {
    QFont f = base;
    f.setWeight(QFont::DemiBold);
    return f;
}

QFont stateFont(const QFont& base) {
    QFont f = base;
    f.setPointSizeF(base.pointSizeF() * 0.92);
    return f;
}

bool isPanel(const QModelIndex& index) {
    return index.data(Model::KindRole).toInt() == static_cast<int>(RecentListRow::Kind::alternates);
}

bool isFlagged(const QModelIndex& index) {
    return !isPanel(index) && index.data(Model::FlaggedRole).toBool();
}

int topLine(const QFont& base) {
    return qMax(QFontMetrics(boldFont(base)).height(), QFontMetrics(base).height());
}

} // namespace

RecentRowDelegate::RecentRowDelegate(Theme& theme, QObject* parent)
    : DrawerRowDelegate(theme, kTopMargin, parent) {}

QSize RecentRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    if (isPanel(index))
        return rowSize(option, index, panelHeight(option, index));
    int card = 9 + topLine(option.font) + 2 + QFontMetrics(stateFont(option.font)).height() + 9;
    if (isFlagged(index))
        card += 2 + 6 + DrawerButton::sizeFor(QString(), QString(), option.font).height();
    return rowSize(option, index, card);
}

RecentRowDelegate::Geometry RecentRowDelegate::geometry(const QStyleOptionViewItem& option,
                                                        const QModelIndex& index) const {
    Geometry g;
    g.card = cardIn(option.rect, index);
    if (isPanel(index))
        return g;
    const QRect content = g.card.adjusted(14, 9, -12, -9);
    const int top = topLine(option.font);
    // As wide as a label of that text would be, so the title starts where it always did.
    const int episodeWidth = QFontMetrics(boldFont(option.font))
                                 .boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft,
                                               index.data(Model::EpisodeRole).toString())
                                 .width();
    g.episode = QRect(content.left(), content.top(), episodeWidth, top);
    const int titleLeft = g.episode.right() + 1 + 10;
    g.title = QRect(titleLeft, content.top(), qMax(0, content.right() + 1 - titleLeft),
                    QFontMetrics(option.font).height());
    g.state = QRect(content.left(), content.top() + top + 2, content.width(),
                    QFontMetrics(stateFont(option.font)).height());
    if (isFlagged(index)) {
        int x = content.left();
        const int y = g.state.bottom() + 1 + 2 + 6;
        for (const Action& action : actions()) {
            const QSize size = DrawerButton::sizeFor(action.label, action.symbol, option.font);
            g.actions.append(QRect(QPoint(x, y), size));
            x += size.width() + 6;
        }
    }
    return g;
}

QRect RecentRowDelegate::partRect(const QStyleOptionViewItem& option, const QModelIndex& index,
                                  int part) const {
    const Geometry g = geometry(option, index);
    if (part == kRow)
        return g.card;
    return g.actions.value(part - kFirstAction);
}

int RecentRowDelegate::partCount(const QModelIndex& index) const {
    return isFlagged(index) ? static_cast<int>(actions().size()) : 0;
}

int RecentRowDelegate::defaultPart(const QModelIndex& index) const {
    return isFlagged(index) ? kAlternate : kNone;
}

bool RecentRowDelegate::pressable(const QModelIndex& index, int part) const {
    return part >= kFirstAction && part < kFirstAction + partCount(index);
}

QString RecentRowDelegate::tooltip(const QModelIndex& index, int part) const {
    return part == kRow ? index.data(Model::TitleRole).toString() : QString();
}

QString RecentRowDelegate::partName(const QModelIndex&, int part) const {
    const int action = part - kFirstAction;
    return action >= 0 && action < actions().size() ? actions().at(action).label : QString();
}

void RecentRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (isPanel(index))
        return; // its panel paints itself
    const Geometry g = geometry(option, index);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    paintCard(*painter, g.card, option.state & QStyle::State_HasFocus);

    const auto line = [&](const QRect& rect, const QFont& font, int role, Role colour) {
        paintLine(*painter, rect, font, index.data(role).toString(), colour);
    };
    line(g.episode, boldFont(option.font), Model::EpisodeRole, Role::accent);
    line(g.title, option.font, Model::TitleRole, Role::text);
    line(g.state, stateFont(option.font), Model::StateLineRole,
         drawerRole(static_cast<Tone>(index.data(Model::StateToneRole).toInt())));

    for (int i = 0; i < g.actions.size(); ++i) {
        DrawerButton::Face face;
        face.text = actions().at(i).label;
        face.symbol = actions().at(i).symbol;
        face.hovered = hovered(index, kFirstAction + i);
        DrawerButton::paint(*painter, g.actions.at(i), face, m_theme, option.font);
    }
    painter->restore();
}
