#include "VaneSwitch.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int kGap = 12;    // between the texts and the switch
constexpr int kNoteGap = 2; // between the title and the note

QFont noteFont(const QFont& base) {
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.88);
    return font;
}
} // namespace

VaneSwitch::VaneSwitch(Theme& theme, const QString& title, const QString& note, QWidget* parent)
    : QAbstractButton(parent)
    , m_theme(theme)
    , m_note(note) {
    setText(title);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

void VaneSwitch::setNote(const QString& note) {
    if (note == m_note)
        return;
    m_note = note;
    updateGeometry();
    update();
}

QRect VaneSwitch::noteRect(int width) const {
    const int textWidth = qMax(40, width - kSwitchSize.width() - kGap);
    if (m_note.isEmpty())
        return {};
    const QFontMetrics metrics(noteFont(font()));
    const QRect bounds = metrics.boundingRect(QRect(0, 0, textWidth, 10000), Qt::TextWordWrap, m_note);
    return {0, QFontMetrics(font()).height() + kNoteGap, textWidth, bounds.height()};
}

int VaneSwitch::heightForWidth(int width) const {
    const int title = QFontMetrics(font()).height();
    const QRect note = noteRect(width);
    return qMax(kSwitchSize.height(), note.isEmpty() ? title : note.bottom() + 1) + 4;
}

QSize VaneSwitch::sizeHint() const {
    const int width = QFontMetrics(font()).horizontalAdvance(text()) + kGap + kSwitchSize.width();
    const int preferred = qMax(width, 280);
    return {preferred, heightForWidth(preferred)};
}

void VaneSwitch::paintSwitch(QPainter& painter, const QRect& rect, bool on, bool enabled,
                             const Theme& theme) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    QColor fill = on ? theme.color(Theme::Role::accent) : theme.color(Theme::Role::separator);
    if (!enabled)
        fill.setAlphaF(fill.alphaF() * 0.5f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 4;
    const qreal x = on ? track.right() - 2 - knob : track.left() + 2;
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
    painter.restore();
}

void VaneSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect note = noteRect(width());
    const int titleHeight = QFontMetrics(font()).height();
    painter.setFont(font());
    painter.setPen(isEnabled() ? m_theme.color(Theme::Role::text) : m_theme.color(Theme::Role::disabledText));
    painter.drawText(QRect(0, 2, width() - kSwitchSize.width() - kGap, titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
    if (!note.isEmpty()) {
        painter.setFont(noteFont(font()));
        painter.setPen(m_theme.color(Theme::Role::secondaryText));
        painter.drawText(note.translated(0, 2), Qt::TextWordWrap, m_note);
    }
    const QRect track(QPoint(width() - kSwitchSize.width(), 2 + (titleHeight - kSwitchSize.height()) / 2),
                      kSwitchSize);
    paintSwitch(painter, track.translated(0, qMax(0, -track.top())), isChecked(), isEnabled(), m_theme);
    if (hasFocus())
        m_theme.paintFocusRing(painter, QRectF(track).adjusted(-3, -3, 3, 3), 12);
}
