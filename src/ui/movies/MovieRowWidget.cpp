#include "MovieRowWidget.h"

#include "FlatButton.h"
#include "controls/PillButton.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr QSize kPoster(46, 69);
} // namespace

MovieRowWidget::MovieRowWidget(Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_theme(theme) {
    setObjectName(QStringLiteral("movieRow"));
    // The row itself takes focus, so the menu key opens its context menu.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 8, 14, 8);
    outer->setSpacing(6);
    auto* line = new QHBoxLayout;
    line->setSpacing(12);
    outer->addLayout(line);

    m_poster = new QLabel(this);
    m_poster->setFixedSize(kPoster);
    m_poster->setAlignment(Qt::AlignCenter);
    line->addWidget(m_poster);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("movieRow.title"));
    QFont bold = m_title->font();
    bold.setWeight(QFont::DemiBold);
    m_title->setFont(bold);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("movieRow.status"));
    m_download = new QLabel(this);
    m_download->setObjectName(QStringLiteral("movieRow.download"));
    texts->addStretch();
    texts->addWidget(m_title);
    texts->addWidget(m_status);
    texts->addWidget(m_download);
    texts->addStretch();
    line->addLayout(texts, 1);

    m_quality = new PillButton(theme, QString(), this);
    m_quality->setObjectName(QStringLiteral("movieRow.quality"));
    m_quality->setToolTip(MovieRowText::kQualityTooltip);
    m_quality->setAccessibleName(MovieRowText::kQualityTooltip);
    m_quality->setFocusPolicy(Qt::StrongFocus);
    m_quality->setCheckable(false);
    line->addWidget(m_quality);

    m_trash = new QPushButton(this);
    m_trash->setObjectName(QStringLiteral("movieRow.trash"));
    m_trash->setFlat(true);
    m_trash->setCursor(Qt::PointingHandCursor);
    m_trash->setFixedSize(28, 28);
    m_trash->setIconSize(QSize(16, 16));
    line->addWidget(m_trash);

    m_flagged = new QWidget(this);
    auto* actions = new QHBoxLayout(m_flagged);
    actions->setContentsMargins(kPoster.width() + 12, 0, 0, 0);
    actions->setSpacing(6);
    m_findAlternate = new FlatButton(theme, MovieRowText::kFindAlternate, m_flagged);
    m_findAlternate->setObjectName(QStringLiteral("movieRow.findAlternate"));
    m_findAlternate->setTinted(true);
    m_removeRequest = new FlatButton(theme, MovieRowText::kRemoveRequest, m_flagged);
    m_removeRequest->setObjectName(QStringLiteral("movieRow.removeRequest"));
    m_snooze = new FlatButton(theme, MovieRowText::kSnoozeWeek, m_flagged);
    m_snooze->setObjectName(QStringLiteral("movieRow.snooze"));
    for (FlatButton* b : {m_findAlternate, m_removeRequest, m_snooze}) {
        b->setAccessibleName(b->text());
        b->setFocusPolicy(Qt::StrongFocus);
        actions->addWidget(b);
    }
    actions->addStretch();
    outer->addWidget(m_flagged);

    m_alternates = new QWidget(this);
    m_alternateRows = new QVBoxLayout(m_alternates);
    m_alternateRows->setContentsMargins(kPoster.width() + 12, 0, 0, 0);
    m_alternateRows->setSpacing(2);
    outer->addWidget(m_alternates);
    m_flagged->hide();
    m_alternates->hide();

    connect(m_quality, &QAbstractButton::clicked, this, &MovieRowWidget::qualityClicked);
    connect(m_trash, &QPushButton::clicked, this, &MovieRowWidget::trashClicked);
    connect(m_findAlternate, &QAbstractButton::clicked, this,
            &MovieRowWidget::findAlternateClicked);
    connect(m_removeRequest, &QAbstractButton::clicked, this,
            &MovieRowWidget::removeRequestClicked);
    connect(m_snooze, &QAbstractButton::clicked, this, &MovieRowWidget::snoozeClicked);
    connect(&m_theme, &Theme::changed, this, &MovieRowWidget::restyle);
    restyle();
}

void MovieRowWidget::setRow(const MovieListRow& row) {
    m_row = row;
    m_title->setText(row.title);
    m_status->setText(row.status.text);
    m_download->setText(row.downloadLine);
    m_download->setVisible(!row.downloadLine.isEmpty());
    m_quality->setText(row.qualityLabel);
    m_quality->updateGeometry();
    m_trash->setToolTip(row.trashTooltip);
    m_trash->setAccessibleName(row.trashTooltip);
    m_flagged->setVisible(row.flagged);
    if (!row.flagged)
        m_alternates->hide();
    setAccessibleName(row.title);
    setAccessibleDescription(row.downloadLine.isEmpty()
                                 ? row.status.text
                                 : row.status.text + QStringLiteral(", ") + row.downloadLine);
    restyle();
}

void MovieRowWidget::setPoster(const QPixmap& poster) {
    m_poster->setProperty("placeholder", false);
    m_poster->setPixmap(poster);
    update();
}

void MovieRowWidget::setAlternates(const Alternates& alternates) {
    while (QLayoutItem* item = m_alternateRows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_alternates->setVisible(alternates.shown && m_row.flagged);
    if (!alternates.shown)
        return;
    const auto note = [this](const QString& text) {
        auto* label = new QLabel(text, m_alternates);
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, m_theme.color(Theme::Role::secondaryText));
        label->setPalette(p);
        m_alternateRows->addWidget(label);
        label->show();
    };
    if (alternates.searching) {
        note(MovieRowText::kSearching);
        return;
    }
    if (alternates.releases.isEmpty()) {
        note(alternates.emptyText);
        return;
    }
    for (const SearchResult& release : alternates.releases) {
        auto* button = new FlatButton(m_theme, MovieRowText::alternateLine(release), m_alternates);
        button->setObjectName(QStringLiteral("movieRow.alternate"));
        button->setToolTip(release.title);
        button->setAccessibleName(MovieRowText::alternateLine(release));
        button->setAccessibleDescription(release.title);
        button->setFocusPolicy(Qt::StrongFocus);
        connect(button, &QAbstractButton::clicked, this,
                [this, release] { Q_EMIT alternateChosen(release); });
        m_alternateRows->addWidget(button, 0, Qt::AlignLeft);
        button->show();
    }
}

QColor MovieRowWidget::toneColor(MovieRowText::Tone tone) const {
    using Tone = MovieRowText::Tone;
    switch (tone) {
    case Tone::plain:
        return m_theme.color(Theme::Role::secondaryText);
    case Tone::working:
        return m_theme.color(Theme::Role::accent);
    case Tone::done:
        return m_theme.color(Theme::Role::success);
    case Tone::attention:
        return m_theme.color(Theme::Role::attention);
    case Tone::failure:
        return m_theme.color(Theme::Role::danger);
    }
    return m_theme.color(Theme::Role::secondaryText);
}

void MovieRowWidget::restyle() {
    QPalette p = m_theme.palette();
    setPalette(p);
    QPalette status = p;
    status.setColor(QPalette::WindowText, toneColor(m_row.status.tone));
    m_status->setPalette(status);
    QPalette secondary = p;
    secondary.setColor(QPalette::WindowText, m_theme.color(Theme::Role::secondaryText));
    m_download->setPalette(secondary);
    m_trash->setIcon(m_theme.symbol(QStringLiteral("trash"), Theme::Role::secondaryText));
    if (m_poster->pixmap().isNull() || m_poster->property("placeholder").toBool()) {
        m_poster->setPixmap(m_theme.symbol(QStringLiteral("film"), Theme::Role::faintText)
                                .pixmap(QSize(22, 22), devicePixelRatioF()));
        m_poster->setProperty("placeholder", true);
    }
    update();
}

void MovieRowWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(6, 2, -6, -2);
    QPainterPath path;
    path.addRoundedRect(box, 10, 10);
    if (m_hovered)
        painter.fillPath(path, m_theme.color(Theme::Role::surfaceHover));
    if (m_poster->property("placeholder").toBool()) {
        QPainterPath thumb;
        thumb.addRoundedRect(QRectF(m_poster->geometry()), 5, 5);
        painter.fillPath(thumb, m_theme.color(Theme::Role::selection));
    }
    if (hasFocus() && m_focusShown) {
        painter.setPen(QPen(m_theme.color(Theme::Role::accent), 2));
        painter.drawPath(path);
    }
    painter.setPen(m_theme.color(Theme::Role::separator));
    painter.drawLine(QPointF(box.left() + 14, box.bottom() + 1.5),
                     QPointF(box.right() - 14, box.bottom() + 1.5));
}

void MovieRowWidget::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? mapToGlobal(QPoint(m_title->geometry().left(), height() / 2))
                          : event->globalPos();
    Q_EMIT menuRequested(at);
}

void MovieRowWidget::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        switch (event->key()) {
        case Qt::Key_Up:
            event->accept();
            return Q_EMIT stepRequested(-1);
        case Qt::Key_Down:
            event->accept();
            return Q_EMIT stepRequested(1);
        case Qt::Key_Delete: // as the trash button
            event->accept();
            return Q_EMIT trashClicked();
        default:
            break;
        }
    }
    if (!menuKey)
        return QWidget::keyPressEvent(event);
    event->accept();
    Q_EMIT menuRequested(mapToGlobal(QPoint(m_title->geometry().left(), height() / 2)));
}

void MovieRowWidget::focusInEvent(QFocusEvent* event) {
    // A click needs no ring: the keyboard's arrival does.
    m_focusShown = event->reason() != Qt::MouseFocusReason;
    update();
    QWidget::focusInEvent(event);
}

void MovieRowWidget::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void MovieRowWidget::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void MovieRowWidget::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}
