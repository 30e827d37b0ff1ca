#include "CalendarStyle.h"

#include "AccessibleText.h"

#include "CalendarText.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace calendarstyle {

Theme::Role stateRole(CalEvent::EpisodeState state) {
    switch (state) {
    case CalEvent::EpisodeState::gotIt:
        return Theme::Role::success;
    case CalEvent::EpisodeState::upcoming:
        return Theme::Role::accent;
    case CalEvent::EpisodeState::missing:
        return Theme::Role::danger;
    }
    return Theme::Role::text;
}

QLabel* label(Theme& theme, const QString& text, Theme::Role role, int pixelSize,
              QFont::Weight weight) {
    auto* l = new QLabel(text);
    QFont f = l->font();
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    l->setFont(f);
    const auto tint = [l, &theme, role] {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, theme.color(role));
        l->setPalette(p);
    };
    tint();
    QObject::connect(&theme, &Theme::changed, l, tint);
    return l;
}

} // namespace calendarstyle

DayBubble::DayBubble(Theme& theme, bool highlighted, int radius, QWidget* parent)
    : QWidget(parent)
    , m_theme(theme)
    , m_highlighted(highlighted)
    , m_radius(radius) {
    connect(&theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

void DayBubble::setDay(const QString& name, const QList<CalEvent>& events) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(name);
    setAccessibleDescription(accessible::calendarDayDescription(events));
}

void DayBubble::keyPressEvent(QKeyEvent* event) {
    int step = 0;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        step = -1;
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        step = 1;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (!parentWidget())
        return;
    const QList<DayBubble*> days =
        parentWidget()->findChildren<DayBubble*>(Qt::FindDirectChildrenOnly);
    const qsizetype at = days.indexOf(this) + step;
    if (at >= 0 && at < days.size())
        days[at]->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void DayBubble::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(m_theme.color(m_highlighted ? Theme::Role::selection : Theme::Role::surface));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), m_radius, m_radius);
    if (m_highlighted) {
        p.setPen(QPen(m_theme.color(Theme::Role::accent), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.6, 0.6, -0.6, -0.6), m_radius, m_radius);
    }
    if (hasFocus())
        m_theme.paintFocusRing(p, QRectF(rect()), m_radius);
}

namespace {
constexpr int kChipPad = 4;

QString stateSymbol(CalEvent::EpisodeState state) {
    switch (state) {
    case CalEvent::EpisodeState::gotIt:
        return QStringLiteral("checkmark");
    case CalEvent::EpisodeState::upcoming:
        return QStringLiteral("circle");
    case CalEvent::EpisodeState::missing:
        return QStringLiteral("exclamationmark.triangle.fill");
    }
    return QStringLiteral("circle");
}

constexpr int kBar = 3; // the state's colour down the left edge
} // namespace

EventChip::EventChip(Theme& theme, const CalEvent& event, QWidget* parent)
    : QWidget(parent)
    , m_theme(theme)
    , m_name(event.showName)
    , m_code(event.code)
    , m_state(event.state) {
    setObjectName(QStringLiteral("calendarEvent"));
    setToolTip(calendar::eventTooltip(event));
    setAccessibleName(calendar::eventTooltip(event));
    setAccessibleDescription(calendar::stateLabel(event.state));
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    connect(&theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

QSize EventChip::sizeHint() const {
    const QFontMetrics fm(font());
    const int text = std::max(fm.horizontalAdvance(m_name), fm.horizontalAdvance(m_code));
    return {kBar + kChipPad * 2 + text, fm.height() * 2 + kChipPad * 2};
}

QFont EventChip::nameFont() const {
    QFont bold = font();
    bold.setWeight(QFont::DemiBold);
    return bold;
}

// Where the name goes at this width: one line, or two when it does not fit on one.
QRect EventChip::nameRect(int width) const {
    const QFontMetrics fm(nameFont());
    const int x = kBar + kChipPad;
    const int w = std::max(1, width - x - kChipPad);
    const int wrapped = fm.boundingRect(QRect(0, 0, w, 10000), Qt::TextWordWrap, m_name).height();
    const int lines = std::clamp(wrapped / std::max(1, fm.lineSpacing()), 1, 2);
    return {x, kChipPad, w, lines * fm.lineSpacing()};
}

int EventChip::heightForWidth(int width) const {
    return nameRect(width).height() + QFontMetrics(font()).height() + kChipPad * 2;
}

QSize EventChip::minimumSizeHint() const {
    return {kBar + kChipPad * 2 + 20, sizeHint().height()};
}

void EventChip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor tone = m_theme.color(calendarstyle::stateRole(m_state));
    QColor fill = tone;
    fill.setAlphaF(m_theme.isDark() ? 0.22f : 0.13f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(rect()), 6, 6);
    const QFontMetrics fm(font());
    const QFontMetrics bold(nameFont());
    p.save();
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 6, 6);
    p.setClipPath(shape);
    p.fillRect(QRect(0, 0, kBar, height()), tone);
    p.restore();
    const QRect name = nameRect(width());
    p.setFont(nameFont());
    p.setPen(m_theme.color(Theme::Role::text));
    if (name.height() > bold.lineSpacing()) {
        // Two lines: the first as it wraps, the rest elided on the second.
        int cut = -1; // the longest run of whole words that fits
        for (qsizetype i = m_name.indexOf(QLatin1Char(' ')); i > 0;
             i = m_name.indexOf(QLatin1Char(' '), i + 1)) {
            if (bold.horizontalAdvance(m_name.left(i)) > name.width())
                break;
            cut = int(i);
        }
        if (cut < 0) { // one long word: break it where it overflows
            cut = int(m_name.size());
            while (cut > 1 && bold.horizontalAdvance(m_name.left(cut)) > name.width())
                --cut;
        }
        const QString first = m_name.left(cut);
        const QString rest = m_name.mid(cut).trimmed();
        p.drawText(QRect(name.x(), name.y(), name.width(), bold.lineSpacing()),
                   Qt::AlignLeft | Qt::AlignVCenter, first);
        p.drawText(QRect(name.x(), name.y() + bold.lineSpacing(), name.width(), bold.lineSpacing()),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   bold.elidedText(rest, Qt::ElideRight, name.width()));
    } else {
        p.drawText(name, Qt::AlignLeft | Qt::AlignVCenter,
                   bold.elidedText(m_name, Qt::ElideRight, name.width()));
    }
    // The state's symbol leads the code: colour is never its only sign.
    const QRect codeLine(name.x(), name.bottom() + 1, name.width(), fm.height());
    const int mark = fm.height() - 3;
    m_theme.symbol(stateSymbol(m_state), calendarstyle::stateRole(m_state))
        .paint(&p, QRect(codeLine.x(), codeLine.y() + (codeLine.height() - mark) / 2, mark, mark));
    const QRect code = codeLine.adjusted(mark + 3, 0, 0, 0);
    p.setFont(font());
    // In the state's colour over its own tint the code would read below 4.5:1.
    p.setPen(m_theme.color(Theme::Role::text));
    p.drawText(code, Qt::AlignLeft | Qt::AlignVCenter,
               fm.elidedText(m_code, Qt::ElideRight, code.width()));
}
