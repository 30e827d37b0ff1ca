#include "EpisodeRowDelegate.h"

#include "DrawerButton.h"
#include "DrawerCards.h"
#include "present/EpisodeListModel.h"

#include <QPainter>

using Role = Theme::Role;
using Tone = EpisodeDrawerTexts::Tone;
using Model = EpisodeListModel;

namespace {

constexpr int kTopMargin = 4; // above the first card
constexpr int kSpacing = 12;  // between the code, the texts and the state
constexpr int kStateMinWidth = 92;
constexpr int kTagSymbol = 14;

QFont codeFont(const QFont& base) {
    QFont f = base;
    f.setWeight(QFont::DemiBold);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

QFont dateFont(const QFont& base) {
    QFont f = base;
    f.setPointSizeF(base.pointSizeF() * 0.88);
    return f;
}

QFont boldFont(const QFont& base) {
    QFont f = base;
    f.setWeight(QFont::DemiBold);
    return f;
}

Tone toneOf(const QModelIndex& index) {
    return static_cast<Tone>(index.data(Model::StateToneRole).toInt());
}

// Done and faint states say something without an action: a tag, not a button.
bool isTag(Tone tone) {
    return tone == Tone::done || tone == Tone::faint;
}

QString tagSymbol(Tone tone) {
    return tone == Tone::done ? QStringLiteral("checkmark") : QString();
}

QString buttonSymbol(const QModelIndex& index) {
    return index.data(Model::BusyRole).toBool() ? QStringLiteral("arrow.triangle.2.circlepath")
                                                : QString();
}

DrawerButton::Look buttonLook(Tone tone) {
    switch (tone) {
    case Tone::action:
        return DrawerButton::Look::filled;
    case Tone::attention:
        return DrawerButton::Look::attention;
    default:
        return DrawerButton::Look::outlined;
    }
}

QSize stateSize(const QModelIndex& index, const QFont& base) {
    const QString text = index.data(Model::StateTextRole).toString();
    const Tone tone = toneOf(index);
    QSize size;
    if (isTag(tone)) {
        const QFontMetrics metrics(boldFont(base));
        const int symbol = tagSymbol(tone).isEmpty() ? 0 : kTagSymbol + 4;
        size = {symbol + metrics.horizontalAdvance(text) + 12, metrics.height() + 10};
    } else {
        size = DrawerButton::sizeFor(text, buttonSymbol(index), base);
    }
    return {qMax(size.width(), kStateMinWidth), size.height()};
}

bool isOffer(const QModelIndex& index) {
    return index.data(Model::KindRole).toInt() == static_cast<int>(EpisodeListRow::Kind::offer);
}

} // namespace

EpisodeRowDelegate::EpisodeRowDelegate(Theme& theme, QObject* parent)
    : DrawerRowDelegate(theme, kTopMargin, parent) {}

QSize EpisodeRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    if (isOffer(index))
        return rowSize(option, index, panelHeight(option, index));
    const int code = QFontMetrics(codeFont(option.font)).height();
    int texts = QFontMetrics(option.font).height();
    if (!index.data(Model::AirDateRole).toString().isEmpty())
        texts += 1 + QFontMetrics(dateFont(option.font)).height();
    const int state = stateSize(index, option.font).height();
    return rowSize(option, index, 16 + qMax(code, qMax(texts, state)));
}

EpisodeRowDelegate::Geometry EpisodeRowDelegate::geometry(const QStyleOptionViewItem& option,
                                                          const QModelIndex& index) const {
    Geometry g;
    g.card = cardIn(option.rect, index);
    if (isOffer(index))
        return g;
    const QRect content = g.card.adjusted(14, 8, -10, -8);
    const int codeWidth =
        QFontMetrics(codeFont(option.font)).horizontalAdvance(QStringLiteral("S00E000"));
    g.code = QRect(content.left(), content.top(), codeWidth, content.height());

    const QSize state = stateSize(index, option.font);
    g.state = QRect(content.right() - state.width() + 1,
                    content.top() + (content.height() - state.height()) / 2, state.width(),
                    state.height());
    g.tag = isTag(toneOf(index));

    const int left = g.code.right() + 1 + kSpacing;
    const int width = qMax(0, g.state.left() - kSpacing - left);
    const int nameHeight = QFontMetrics(option.font).height();
    const bool dated = !index.data(Model::AirDateRole).toString().isEmpty();
    const int dateHeight = dated ? QFontMetrics(dateFont(option.font)).height() : 0;
    const int texts = nameHeight + (dated ? 1 + dateHeight : 0);
    const int top = content.top() + (content.height() - texts) / 2;
    g.name = QRect(left, top, width, nameHeight);
    if (dated)
        g.date = QRect(left, g.name.bottom() + 2, width, dateHeight);
    return g;
}

QRect EpisodeRowDelegate::partRect(const QStyleOptionViewItem& option, const QModelIndex& index,
                                   int part) const {
    const Geometry g = geometry(option, index);
    if (part == kRow)
        return g.card;
    return part == kState ? g.state : QRect();
}

int EpisodeRowDelegate::partCount(const QModelIndex& index) const {
    return isOffer(index) ? 0 : 1;
}

int EpisodeRowDelegate::defaultPart(const QModelIndex& index) const {
    return isOffer(index) ? kNone : kState;
}

bool EpisodeRowDelegate::pressable(const QModelIndex& index, int part) const {
    return part == kState && index.data(Model::PressableRole).toBool();
}

QString EpisodeRowDelegate::tooltip(const QModelIndex& index, int part) const {
    // The state explains itself where it needs to; elsewhere the row's full title.
    if (part == kState)
        return index.data(Model::TooltipRole).toString();
    return part == kRow ? index.data(Model::TitleRole).toString() : QString();
}

QString EpisodeRowDelegate::partName(const QModelIndex& index, int part) const {
    return part == kState ? index.data(Model::StateTextRole).toString() : QString();
}

void EpisodeRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    if (isOffer(index))
        return; // its panel paints itself
    const Geometry g = geometry(option, index);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    paintCard(*painter, g.card, option.state & QStyle::State_HasFocus);

    const auto line = [&](const QRect& rect, const QFont& font, int role, Role colour) {
        paintLine(*painter, rect, font, index.data(role).toString(), colour);
    };
    line(g.code, codeFont(option.font), Model::CodeRole, Role::accent);
    line(g.name, option.font, Model::TitleRole, Role::text);
    if (!g.date.isEmpty())
        line(g.date, dateFont(option.font), Model::AirDateRole, Role::secondaryText);

    const Tone tone = toneOf(index);
    const QString text = index.data(Model::StateTextRole).toString();
    if (g.tag) {
        const Role colour = drawerRole(tone);
        int x = g.state.left() + 6;
        if (const QString symbol = tagSymbol(tone); !symbol.isEmpty()) {
            m_theme.symbol(symbol, colour)
                .paint(painter, QRect(x, g.state.top() + (g.state.height() - kTagSymbol) / 2,
                                      kTagSymbol, kTagSymbol));
            x += kTagSymbol + 4;
        }
        painter->setFont(boldFont(option.font));
        painter->setPen(m_theme.color(colour));
        painter->drawText(QRect(x, g.state.top(), g.state.right() + 1 - x, g.state.height()),
                          Qt::AlignVCenter | Qt::AlignLeft, text);
    } else {
        DrawerButton::Face face;
        face.look = buttonLook(tone);
        face.text = text;
        face.symbol = buttonSymbol(index);
        face.enabled = index.data(Model::PressableRole).toBool();
        face.hovered = hovered(index, kState);
        DrawerButton::paint(*painter, g.state, face, m_theme, option.font);
    }
    painter->restore();
}
