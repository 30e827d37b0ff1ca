#include "PlanChoice.h"

#include "AddShowStyle.h"

#include <QPainter>

namespace {
constexpr int kSymbol = 18;
constexpr int kGap = 10;
} // namespace

PlanChoice::PlanChoice(Theme& theme, const QString& title, const QString& description,
                       QWidget* parent)
    : QAbstractButton(parent)
    , m_theme(theme)
    , m_description(description) {
    setText(title);
    setCheckable(true);
    setAutoExclusive(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

QSize PlanChoice::sizeHint() const {
    const QFontMetrics title(AddShowStyle::scaled(font(), 1.0, QFont::DemiBold));
    const QFontMetrics note(AddShowStyle::scaled(font(), 0.9));
    return {kSymbol + kGap + title.horizontalAdvance(text()) + 12 +
                note.horizontalAdvance(m_description),
            qMax(kSymbol, title.height()) + 8};
}

void PlanChoice::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool on = isChecked();
    const QRect symbol(0, (height() - kSymbol) / 2, kSymbol, kSymbol);
    m_theme
        .symbol(on ? QStringLiteral("largecircle.fill.circle") : QStringLiteral("circle"),
                on ? Theme::Role::accent : Theme::Role::secondaryText)
        .paint(&painter, symbol);
    const QFont titleFont = AddShowStyle::scaled(font(), 1.0, QFont::DemiBold);
    const QFontMetrics titleMetrics(titleFont);
    QRect text = rect().adjusted(kSymbol + kGap, 0, 0, 0);
    painter.setFont(titleFont);
    painter.setPen(m_theme.color(Theme::Role::text));
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, text.isEmpty() ? QString() : this->text());
    text.setLeft(text.left() + titleMetrics.horizontalAdvance(this->text()) + 12);
    const QFont noteFont = AddShowStyle::scaled(font(), 0.9);
    painter.setFont(noteFont);
    painter.setPen(m_theme.color(Theme::Role::secondaryText));
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetrics(noteFont).elidedText(m_description, Qt::ElideRight, text.width()));
}
