#include "Popover.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kRadius = 10;
constexpr int kShadow = 6; // drawn inside the widget, around the body
} // namespace

Popover::Popover(Theme& theme, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint)
    , m_theme(theme) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kShadow + 14, kShadow + 12, kShadow + 14, kShadow + 14);
    layout->setSpacing(10);
    m_title = new QLabel(title, this);
    m_title->setObjectName(QStringLiteral("popoverTitle"));
    QFont font = m_title->font();
    font.setWeight(QFont::DemiBold);
    m_title->setFont(font);
    layout->addWidget(m_title);
    m_body = new QVBoxLayout;
    m_body->setSpacing(10);
    layout->addLayout(m_body);
    restyle();
    connect(&m_theme, &Theme::changed, this, &Popover::restyle);
}

QLabel* Popover::addNote(const QString& text) {
    auto* note = new QLabel(text, this);
    note->setWordWrap(true);
    // Wrapped to the title's width, so a long note does not make the popover wide.
    note->setFixedWidth(qMax(260, m_title->sizeHint().width()));
    QFont font = note->font();
    font.setPointSizeF(font.pointSizeF() * 0.92);
    note->setFont(font);
    note->setForegroundRole(QPalette::PlaceholderText);
    m_body->addWidget(note);
    return note;
}

void Popover::restyle() {
    QPalette p = m_theme.palette();
    p.setColor(QPalette::PlaceholderText, m_theme.color(Theme::Role::secondaryText));
    setPalette(p);
    update();
}

void Popover::popUpBelow(const QRect& anchor) {
    adjustSize();
    QPoint pos(anchor.center().x() - width() / 2, anchor.bottom() + 2 - kShadow + 6);
    if (const QScreen* screen = QGuiApplication::screenAt(anchor.center())) {
        QRect area = screen->availableGeometry();
        // Inside the window it belongs to, where it fits there.
        if (const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
            const QRect window(owner->mapToGlobal(QPoint(0, 0)), owner->size());
            const QRect inside = window.intersected(area);
            if (inside.width() >= width() + 8) {
                area.setLeft(inside.left() + 4);
                area.setRight(inside.right() - 4);
            }
        }
        if (pos.y() + height() > area.bottom())
            pos.setY(anchor.top() - height() + kShadow - 6); // no room below: above
        pos.setX(qBound(area.left(), pos.x(), area.right() - width()));
        pos.setY(qMax(area.top(), pos.y()));
    }
    move(pos);
    show();
}

void Popover::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(kShadow, kShadow, -kShadow, -kShadow);
    // A soft shadow: a few widening, fading outlines.
    QColor shadow = m_theme.color(Theme::Role::shadow);
    for (int i = kShadow; i > 0; --i) {
        shadow.setAlphaF(m_theme.color(Theme::Role::shadow).alphaF() * 0.12f * (kShadow - i + 1) /
                         kShadow);
        QPainterPath ring;
        ring.addRoundedRect(body.adjusted(-i, -i + 2, i, i + 2), kRadius + i, kRadius + i);
        painter.fillPath(ring, shadow);
    }
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    painter.fillPath(path, m_theme.color(Theme::Role::surface));
    painter.setPen(QPen(m_theme.color(Theme::Role::separator), 1));
    painter.drawPath(path);
}
