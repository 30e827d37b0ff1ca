#include "AboutPopover.h"

#include "AboutText.h"
#include "api/PublishedState.h"

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
constexpr int kIconSize = 64;
constexpr int kPad = 20;
constexpr int kShadow = 10;

enum class Look { title, body, note, heading };
} // namespace

AboutPopover::AboutPopover(PublishedState& state, Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_theme(theme)
    , m_icon(new QWidget(this))
    , m_engine(nullptr)
    , m_rights(nullptr) {
    setObjectName(QStringLiteral("aboutPopover"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(kWidth + 2 * kShadow);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kShadow + kPad, kShadow + kPad - 2, kShadow + kPad, kShadow + kPad);
    column->setSpacing(3);
    m_icon->setFixedSize(kIconSize, kIconSize);
    column->addWidget(m_icon, 0, Qt::AlignHCenter);
    column->addSpacing(8);

    const auto add = [&](const QString& text, Look look, const char* name = nullptr) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(look == Look::body || look == Look::note);
        label->setAlignment(Qt::AlignHCenter);
        label->setProperty("look", static_cast<int>(look));
        if (name)
            label->setObjectName(QLatin1StringView(name));
        QFont f = label->font();
        f.setPixelSize(look == Look::title ? 17 : look == Look::heading ? 10 : 11);
        f.setWeight(look == Look::title     ? QFont::Bold
                    : look == Look::heading ? QFont::DemiBold
                                            : QFont::Normal);
        if (look == Look::heading)
            f.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
        label->setFont(f);
        m_labels.append(label);
        column->addWidget(label);
        return label;
    };
    add(QStringLiteral("Lumivane"), Look::title);
    add(about::versionText(about::appVersion(), about::appBuild()), Look::note, "aboutVersion");
    m_rights = add(QString(), Look::note, "aboutRights");
    m_rights->setTextFormat(Qt::RichText);
    m_rights->setOpenExternalLinks(true);
    column->addSpacing(12);
    add(about::acknowledgementsHeading(), Look::heading);
    column->addSpacing(2);
    add(about::transmissionCredit(), Look::body, "aboutCredit");
    column->addSpacing(4);
    m_engine = add(about::engineLine(std::nullopt), Look::note, "aboutEngine");
    column->addSpacing(4);
    add(about::tmdbNotice(), Look::note, "aboutTmdb");

    connect(&m_theme, &Theme::changed, this, &AboutPopover::applyTheme);
    applyTheme();
}

void AboutPopover::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Asking the daemon runs it once; only someone opening About pays for that.
    if (!m_engineRead) {
        m_engineRead = true;
        m_engine->setText(about::engineLine(m_state.daemonVersion()));
    }
}

void AboutPopover::applyTheme() {
    for (QLabel* label : std::as_const(m_labels)) {
        const auto look = static_cast<Look>(label->property("look").toInt());
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText,
                     m_theme.color(look == Look::title     ? Theme::Role::text
                                   : look == Look::body    ? Theme::Role::text
                                   : look == Look::heading ? Theme::Role::faintText
                                                           : Theme::Role::secondaryText));
        pal.setColor(QPalette::Link, m_theme.color(Theme::Role::accent));
        label->setPalette(pal);
    }
    // Rich text takes its link colour from the application, not the label: say it inline.
    const QString site = QString::fromLatin1(about::kPublisherURL);
    m_rights->setText(
        about::rightsText(m_state.now().toDateTime().toLocalTime().date().year()).toHtmlEscaped() +
        QStringLiteral("<br><a style=\"color:%1; text-decoration:none\" href=\"%2\">%3</a>")
            .arg(m_theme.color(Theme::Role::accent).name(), site,
                 QString(site).remove(QStringLiteral("https://"))));
    update();
}

void AboutPopover::paintAppIcon(QPainter& p, const QRect& where) const {
    if (!qApp->windowIcon().isNull()) {
        qApp->windowIcon().paint(&p, where);
        return;
    }
    // Until the application has its own icon: the brand colour with the series symbol.
    const QRectF tile = QRectF(where).adjusted(2, 2, -2, -2);
    QLinearGradient fill(tile.topLeft(), tile.bottomRight());
    fill.setColorAt(0, m_theme.color(Theme::Role::accent).lighter(125));
    fill.setColorAt(1, m_theme.color(Theme::Role::accent).darker(115));
    QPainterPath path;
    path.addRoundedRect(tile, 14, 14);
    p.fillPath(path, fill);
    m_theme.symbol(QStringLiteral("tv"), Theme::Role::accentText)
        .paint(&p, tile.adjusted(14, 14, -14, -14).toRect());
}

void AboutPopover::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(rect()).adjusted(kShadow, kShadow, -kShadow, -kShadow);
    const QColor shadow = m_theme.color(Theme::Role::shadow);
    for (int i = kShadow; i > 0; --i) {
        QColor ring = shadow;
        ring.setAlphaF(shadow.alphaF() * 0.16f * (1.0f - float(i) / kShadow));
        p.setPen(Qt::NoPen);
        p.setBrush(ring);
        p.drawRoundedRect(card.adjusted(-i, -i + 2, i, i + 2), 12 + i, 12 + i);
    }
    QPainterPath path;
    path.addRoundedRect(card, 12, 12);
    p.fillPath(path, m_theme.color(Theme::Role::surface));
    p.setPen(QPen(m_theme.color(Theme::Role::separator), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path.translated(0.5, 0.5));
    paintAppIcon(p, m_icon->geometry());
}
