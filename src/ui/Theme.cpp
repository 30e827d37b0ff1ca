#include "Theme.h"

#include <QFile>

#include <cmath>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

// The symbols are compiled into this static library, whose resource registration the linker
// drops unless something refers to it.
static void registerSymbols() {
    Q_INIT_RESOURCE(symbols);
}

Theme::Theme(AppTheme appearance, QObject* parent)
    : QObject(parent)
    , m_appearance(appearance) {
    registerSymbols();
}

void Theme::setAppearance(AppTheme appearance) {
    if (appearance == m_appearance)
        return;
    m_appearance = appearance;
    Q_EMIT changed();
}

QColor Theme::color(Role role) const {
    const bool dark = isDark();
    switch (role) {
    case Role::window: return dark ? QColor(0x1f, 0x1d, 0x24) : QColor(0xfb, 0xfa, 0xfd);
    case Role::sidebar: return dark ? QColor(0x17, 0x15, 0x1c) : QColor(0xf0, 0xee, 0xf5);
    case Role::surface: return dark ? QColor(0x29, 0x26, 0x30) : QColor(0xff, 0xff, 0xff);
    case Role::surfaceHover: return dark ? QColor(255, 255, 255, 20) : QColor(0, 0, 0, 13);
    case Role::selection: return dark ? QColor(0x8e, 0x6c, 0xf0, 60) : QColor(0x6e, 0x4b, 0xd8, 34);
    case Role::separator: return dark ? QColor(255, 255, 255, 28) : QColor(0, 0, 0, 24);
    // Every colour that carries words meets 4.5:1 on the backgrounds it is drawn on (AA).
    case Role::text: return dark ? QColor(0xee, 0xec, 0xf2) : QColor(0x1d, 0x1b, 0x22);
    case Role::secondaryText: return dark ? QColor(0xb4, 0xaf, 0xc0) : QColor(0x5f, 0x5a, 0x69);
    case Role::faintText: return dark ? QColor(0xab, 0xa6, 0xb7) : QColor(0x6b, 0x66, 0x75);
    case Role::disabledText: return dark ? QColor(0x75, 0x70, 0x80) : QColor(0xa3, 0x9e, 0xad);
    case Role::accent: return dark ? QColor(0xb3, 0x9b, 0xf8) : QColor(0x6e, 0x4b, 0xd8);
    // Dark ink on the light purple of the dark appearance: white on it would read at 2.3:1.
    case Role::accentText: return dark ? QColor(0x1b, 0x16, 0x30) : QColor(0xff, 0xff, 0xff);
    case Role::attention: return amber();
    case Role::attentionText: return dark ? QColor(0xf5, 0xbe, 0x7d) : QColor(0x8f, 0x55, 0x12);
    case Role::success: return dark ? QColor(0x5c, 0xc9, 0x83) : QColor(0x1c, 0x70, 0x3f);
    case Role::danger: return dark ? QColor(0xff, 0x8f, 0x8f) : QColor(0xbf, 0x30, 0x30);
    case Role::checking: return dark ? QColor(0x9b, 0x7c, 0xf4) : QColor(0x6e, 0x4b, 0xd8);
    case Role::idle: return dark ? QColor(0x5c, 0xc9, 0x83) : QColor(0x2e, 0x9e, 0x5b);
    case Role::shadow: return QColor(0, 0, 0, dark ? 120 : 70);
    case Role::info: return dark ? QColor(0x7a, 0xb8, 0xf5) : QColor(0x27, 0x68, 0xb8);
    // Blue stands apart from the purple accent, so a focused accent pill still shows its ring.
    case Role::focusRing: return dark ? QColor(0x6c, 0xb4, 0xff) : QColor(0x1f, 0x6f, 0xd6);
    }
    return {};
}

QPalette Theme::palette() const {
    QPalette p;
    p.setColor(QPalette::Window, color(Role::window));
    p.setColor(QPalette::WindowText, color(Role::text));
    p.setColor(QPalette::Base, color(Role::surface));
    p.setColor(QPalette::AlternateBase, color(Role::sidebar));
    p.setColor(QPalette::Text, color(Role::text));
    p.setColor(QPalette::PlaceholderText, color(Role::faintText));
    p.setColor(QPalette::Button, color(Role::surface));
    p.setColor(QPalette::ButtonText, color(Role::text));
    p.setColor(QPalette::Highlight, color(Role::accent));
    p.setColor(QPalette::HighlightedText, color(Role::accentText));
    p.setColor(QPalette::ToolTipBase, color(Role::surface));
    p.setColor(QPalette::ToolTipText, color(Role::text));
    p.setColor(QPalette::Link, color(Role::accent));
    p.setColor(QPalette::Mid, color(Role::separator));
    p.setColor(QPalette::Disabled, QPalette::Text, color(Role::disabledText));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, color(Role::disabledText));
    p.setColor(QPalette::Disabled, QPalette::WindowText, color(Role::disabledText));
    return p;
}

namespace {

// Renders a bundled SVG symbol with every stroke and fill in `tint`; the symbols are drawn in
// black, so tinting is a composition over the rendered shape.
class TintedSvgEngine final : public QIconEngine {
public:
    TintedSvgEngine(QByteArray svg, QColor tint)
        : m_svg(std::move(svg))
        , m_tint(std::move(tint)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QImage image(rect.size() * painter->device()->devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(painter->device()->devicePixelRatioF());
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            QSvgRenderer renderer(m_svg);
            renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(rect.size())));
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            QColor tint = m_tint;
            if (mode == QIcon::Disabled)
                tint.setAlphaF(tint.alphaF() * 0.4f);
            p.fillRect(image.rect(), tint);
        }
        painter->drawImage(rect, image);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine* clone() const override { return new TintedSvgEngine(m_svg, m_tint); }

private:
    QByteArray m_svg;
    QColor m_tint;
};

} // namespace

QIcon Theme::symbol(const QString& name, Role role) const {
    QFile file(QStringLiteral(":/symbols/%1.svg").arg(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QIcon(new TintedSvgEngine(file.readAll(), color(role)));
}

namespace {
double luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
           0.0722 * channel(c.blueF());
}
} // namespace

QColor Theme::composite(const QColor& top, const QColor& bottom) {
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + bottom.redF() * (1 - a)),
                            float(top.greenF() * a + bottom.greenF() * (1 - a)),
                            float(top.blueF() * a + bottom.blueF() * (1 - a)));
}

double Theme::contrastRatio(const QColor& foreground, const QColor& background) {
    const double a = luminance(composite(foreground, background));
    const double b = luminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

void Theme::paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color(Role::focusRing), 2));
    painter.drawRoundedRect(rect.adjusted(1, 1, -1, -1), radius, radius);
    painter.restore();
}

QString Theme::thinScrollBarStyle() const {
    const QColor handle = color(Role::faintText);
    return QStringLiteral(
               "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px 1px; }"
               "QScrollBar::handle:vertical { background: rgba(%1,%2,%3,110); border-radius: 3px;"
               " min-height: 28px; }"
               "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
               "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
        .arg(handle.red())
        .arg(handle.green())
        .arg(handle.blue());
}
