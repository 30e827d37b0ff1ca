#pragma once

#include "Theme.h"

#include <QFont>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// The few looks the add-series panels share, all coloured through the theme. Each function
// may be called again after a theme change.
namespace AddShowStyle {

// A small capitalised heading: "SERIES NAME", "QUALITY", "GOING FORWARD".
void sectionLabel(QLabel& label, const Theme& theme);
// Secondary text: notes and notices; `role` picks the colour.
void noteLabel(QLabel& label, const Theme& theme, Theme::Role role = Theme::Role::secondaryText);
void titleLabel(QLabel& label, const Theme& theme, qreal scale = 1.15);
void lineEdit(QLineEdit& edit, const Theme& theme);
// The filled accent button that commits.
void primaryButton(QPushButton& button, const Theme& theme);
// A borderless text button in the accent colour ("Add as typed anyway", "More options").
void linkButton(QPushButton& button, const Theme& theme);

QFont scaled(const QFont& font, qreal factor, QFont::Weight weight = QFont::Normal);

} // namespace AddShowStyle
