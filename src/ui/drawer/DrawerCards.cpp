#include "DrawerCards.h"

#include "DrawerButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

using Role = Theme::Role;
using Tone = EpisodeDrawerTexts::Tone;

Role drawerRole(Tone tone) {
    switch (tone) {
    case Tone::plain:
        return Role::text;
    case Tone::quiet:
        return Role::secondaryText;
    case Tone::faint:
        return Role::faintText;
    case Tone::action:
        return Role::accent;
    case Tone::done:
        return Role::success;
    case Tone::attention:
        return Role::attentionText;
    case Tone::failure:
        return Role::danger;
    }
    return Role::text;
}

DrawerCard::DrawerCard(Theme& theme, Role fill, QWidget* parent)
    : QWidget(parent)
    , m_theme(theme)
    , m_fill(fill) {}

void DrawerCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    painter.fillPath(path, m_theme.color(m_fill));
    painter.setPen(QPen(m_theme.color(Role::separator), 1));
    painter.drawPath(path);
}

ElidedLabel::ElidedLabel(const QString& text, QColor color, QWidget* parent)
    : QWidget(parent)
    , m_text(text)
    , m_color(std::move(color)) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setToolTip(text);
}

QSize ElidedLabel::sizeHint() const {
    return {fontMetrics().horizontalAdvance(m_text), fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {20, fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(m_color);
    painter.drawText(rect(), Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(m_text, Qt::ElideRight, width()));
}

QWidget* releasePanel(Theme& theme, const ReleasePanelContent& content) {
    auto* panel = new DrawerCard(theme, Role::selection);
    panel->setObjectName(content.namePrefix);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(14, 10, 10, 12);
    column->setSpacing(6);

    auto* top = new QHBoxLayout;
    auto* title = new QLabel(content.heading);
    QFont f = title->font();
    f.setWeight(QFont::DemiBold);
    title->setFont(f);
    QPalette p = title->palette();
    p.setColor(QPalette::WindowText, theme.color(Role::text));
    title->setPalette(p);
    title->setWordWrap(true);
    top->addWidget(title, 1);
    auto* close = new DrawerButton(theme, DrawerButton::Look::plain, QString());
    close->setObjectName(content.namePrefix + QStringLiteral(".close"));
    close->setSymbol(QStringLiteral("xmark"));
    close->setToolTip(QStringLiteral("Close"));
    close->setFixedSize(26, 26);
    QObject::connect(close, &QAbstractButton::clicked, panel, content.close);
    top->addWidget(close, 0, Qt::AlignTop);
    column->addLayout(top);

    if (!content.note.isEmpty()) {
        auto* l = new QLabel(content.note);
        l->setObjectName(content.namePrefix + QStringLiteral(".note"));
        l->setWordWrap(true);
        QPalette np = l->palette();
        np.setColor(QPalette::WindowText, theme.color(drawerRole(content.noteTone)));
        l->setPalette(np);
        column->addWidget(l);
    }
    for (int i = 0; i < content.rows.size(); ++i) {
        auto* item = new DrawerCard(theme, Role::surface);
        item->setObjectName(content.namePrefix + QStringLiteral(".%1").arg(i));
        auto* itemLine = new QHBoxLayout(item);
        itemLine->setContentsMargins(12, 6, 8, 6);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(1);
        texts->addWidget(new ElidedLabel(content.rows.at(i).label, theme.color(Role::text)));
        auto* detail = new ElidedLabel(content.rows.at(i).detail, theme.color(Role::secondaryText));
        QFont small = detail->font();
        small.setPointSizeF(small.pointSizeF() * 0.88);
        detail->setFont(small);
        texts->addWidget(detail);
        itemLine->addLayout(texts, 1);
        auto* pick = new DrawerButton(theme, DrawerButton::Look::filled, content.chooseLabel);
        pick->setObjectName(content.namePrefix + QStringLiteral(".%1.choose").arg(i));
        // Every row's button reads the same: the release tells them apart.
        pick->setAccessibleDescription(content.rows.at(i).label);
        QObject::connect(pick, &QAbstractButton::clicked, panel,
                         [choose = content.choose, i] { choose(i); });
        itemLine->addWidget(pick, 0, Qt::AlignVCenter);
        column->addWidget(item);
    }
    return panel;
}

QScrollArea* drawerScrollArea(QWidget* content) {
    auto* area = new QScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a tab stop of its own: it scrolls to whichever row takes the focus.
    area->setFocusPolicy(Qt::NoFocus);
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

void clearDrawerLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide(); // gone from the next paint, not only once the deletion runs
            w->deleteLater();
        }
        delete item;
    }
}
