#include "AddShowStyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace AddShowStyle {

namespace {
QString rgba(const QColor& c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}
} // namespace

QFont scaled(const QFont& font, qreal factor, QFont::Weight weight) {
    QFont out = font;
    out.setPointSizeF(font.pointSizeF() * factor);
    out.setWeight(weight);
    return out;
}

void sectionLabel(QLabel& label, const Theme& theme) {
    QFont font = scaled(QFont(), 0.8, QFont::DemiBold);
    font.setLetterSpacing(QFont::PercentageSpacing, 106);
    label.setFont(font);
    label.setStyleSheet(QStringLiteral("color:%1;").arg(rgba(theme.color(Theme::Role::secondaryText))));
}

void noteLabel(QLabel& label, const Theme& theme, Theme::Role role) {
    label.setFont(scaled(QFont(), 0.9));
    label.setWordWrap(true);
    label.setStyleSheet(QStringLiteral("color:%1;").arg(rgba(theme.color(role))));
}

void titleLabel(QLabel& label, const Theme& theme, qreal scale) {
    label.setFont(scaled(QFont(), scale, QFont::DemiBold));
    label.setStyleSheet(QStringLiteral("color:%1;").arg(rgba(theme.color(Theme::Role::text))));
}

void lineEdit(QLineEdit& edit, const Theme& theme) {
    edit.setPalette(theme.palette());
    edit.setStyleSheet(
        QStringLiteral("QLineEdit{background:%1;color:%2;border:1px solid %3;border-radius:8px;"
                       "padding:6px 10px;selection-background-color:%4;}"
                       "QLineEdit:focus{border:1px solid %4;}")
            .arg(rgba(theme.color(Theme::Role::surface)), rgba(theme.color(Theme::Role::text)),
                 rgba(theme.color(Theme::Role::separator)), rgba(theme.color(Theme::Role::accent))));
}

void primaryButton(QPushButton& button, const Theme& theme) {
    button.setFont(scaled(QFont(), 1.0, QFont::DemiBold));
    QColor pressed = theme.color(Theme::Role::accent).darker(115);
    QColor disabled = theme.color(Theme::Role::accent);
    disabled.setAlpha(110);
    button.setStyleSheet(
        QStringLiteral("QPushButton{background:%1;color:%2;border:none;border-radius:8px;"
                       "padding:7px 16px;}"
                       "QPushButton:pressed{background:%3;}"
                       "QPushButton:disabled{background:%4;color:%2;}")
            .arg(rgba(theme.color(Theme::Role::accent)), rgba(theme.color(Theme::Role::accentText)),
                 rgba(pressed), rgba(disabled)));
}

void linkButton(QPushButton& button, const Theme& theme) {
    button.setFlat(true);
    button.setCursor(Qt::PointingHandCursor);
    button.setStyleSheet(
        QStringLiteral("QPushButton{background:transparent;color:%1;border:none;padding:2px 0;"
                       "text-align:left;font-weight:600;}")
            .arg(rgba(theme.color(Theme::Role::accent))));
}

} // namespace AddShowStyle
