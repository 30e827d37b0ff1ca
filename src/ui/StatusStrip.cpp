#include "StatusStrip.h"

#include "Announcements.h"
#include "FlatButton.h"
#include "LiveRegion.h"
#include "api/Watchlist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVariantAnimation>

namespace {

// The 7×7 dot; its colour and opacity come from the strip.
class StatusDot final : public QWidget {
public:
    explicit StatusDot(QWidget* parent)
        : QWidget(parent) {
        setFixedSize(7, 7);
    }
    QColor color;
    double opacity = 1.0;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setOpacity(opacity);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QRectF(rect()));
    }
};

} // namespace

StatusStrip::StatusStrip(const Watchlist& watchlist, Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_published(watchlist.state)
    , m_operations(watchlist.operations)
    , m_theme(theme)
    , m_dot(new StatusDot(this))
    , m_text(new QLabel(this))
    , m_aside(new QLabel(this))
    , m_announcer(new LiveRegion(this))
    , m_checkNow(new FlatButton(theme, QStringLiteral("Check now"), this))
    , m_breath(new QVariantAnimation(this)) {
    setObjectName(QStringLiteral("statusStrip"));
    setFixedHeight(40);
    m_text->setObjectName(QStringLiteral("statusText"));
    QFont f = m_text->font();
    f.setPixelSize(12);
    m_text->setFont(f);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(40); // a long problem gives way to the countdown, not the reverse
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_aside->setObjectName(QStringLiteral("statusCountdown"));
    m_aside->setFont(f);
    m_aside->setTextFormat(Qt::PlainText);
    m_checkNow->setObjectName(QStringLiteral("checkNowButton"));
    m_checkNow->setTextRole(Theme::Role::accent);
    m_checkNow->setTinted(true);
    m_checkNow->setFixedHeight(24);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(18, 0, 12, 0);
    row->setSpacing(9);
    row->addWidget(m_dot, 0, Qt::AlignVCenter);
    row->addWidget(m_text, 1);
    row->addWidget(m_aside);
    row->addWidget(m_announcer);
    row->addWidget(m_checkNow, 0, Qt::AlignVCenter);

    // Breathes 1.0 → 0.35 → 1.0 …, each way eased, for as long as a check runs.
    m_breath->setDuration(kBreathMs);
    m_breath->setEasingCurve(QEasingCurve::InOutQuad);
    m_breath->setStartValue(1.0);
    m_breath->setEndValue(kBreathLow);
    connect(m_breath, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_dotOpacity = v.toDouble();
        static_cast<StatusDot*>(m_dot)->opacity = m_dotOpacity;
        m_dot->update();
    });
    connect(m_breath, &QVariantAnimation::finished, this, [this] {
        m_breath->setDirection(m_breath->direction() == QAbstractAnimation::Forward
                                   ? QAbstractAnimation::Backward
                                   : QAbstractAnimation::Forward);
        m_breath->start();
    });

    connect(m_checkNow, &QAbstractButton::clicked, this, [this] { m_operations.runCheck(true); });
    // A hidden strip draws nothing, so it does not follow the countdown either.
    const auto follow = [this] {
        if (isVisible())
            refresh();
    };
    connect(&m_published, &PublishedState::isCheckingChanged, this, follow);
    connect(&m_published, &PublishedState::secondsUntilNextCheckChanged, this, follow);
    connect(&m_published, &PublishedState::engineHealthChanged, this, follow);
    connect(&m_published, &PublishedState::searchHealthChanged, this, follow);
    connect(&m_published, &PublishedState::sortsWaitingChanged, this, follow);
    connect(&m_theme, &Theme::changed, this, follow);
    // Spoken even while the window is hidden: a reader may be waiting on the tray alone.
    connect(&m_published, &PublishedState::isCheckingChanged, this, [this] {
        const bool checking = m_published.isChecking();
        if (const auto text = announce::forCheck(m_wasChecking, checking))
            m_announcer->announce(*text);
        m_wasChecking = checking;
    });
    const auto health = [this] {
        const auto problem = healthProblemText(m_published.engineHealth(),
                                               m_published.searchHealth(),
                                               m_published.sortsWaiting());
        if (const auto text = announce::forProblem(m_problem, problem))
            m_announcer->announce(*text);
        m_problem = problem;
    };
    connect(&m_published, &PublishedState::engineHealthChanged, this, health);
    connect(&m_published, &PublishedState::searchHealthChanged, this, health);
    connect(&m_published, &PublishedState::sortsWaitingChanged, this, health);
    connect(&m_published, &PublishedState::activityLogged, this, [this](const ActivityEntry& e) {
        if (const auto text = announce::forActivity(e))
            m_announcer->announce(*text);
    });
    m_wasChecking = m_published.isChecking();
    m_problem = healthProblemText(m_published.engineHealth(), m_published.searchHealth(),
                                  m_published.sortsWaiting());
    refresh();
}

bool StatusStrip::isBreathing() const {
    return m_breath->state() == QAbstractAnimation::Running;
}

void StatusStrip::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void StatusStrip::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_breath->stop();
}

void StatusStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(m_theme.color(Theme::Role::separator));
    p.drawLine(QPointF(0, 0.5), QPointF(width(), 0.5));
}

void StatusStrip::refresh() {
    m_state =
        statusStripState({m_published.isChecking(), m_published.secondsUntilNextCheck(),
                          healthProblemText(m_published.engineHealth(), m_published.searchHealth(),
                                            m_published.sortsWaiting())});
    m_text->setText(m_state.text);
    m_text->setToolTip(m_state.tone == StatusStripState::Tone::problem ? m_state.text : QString());
    m_aside->setText(m_state.aside);
    m_aside->setVisible(!m_state.aside.isEmpty());
    QPalette pal = m_text->palette();
    pal.setColor(QPalette::WindowText, m_theme.color(m_state.tone == StatusStripState::Tone::problem
                                                         ? Theme::Role::text
                                                         : Theme::Role::secondaryText));
    m_text->setPalette(pal);
    QPalette asidePal = m_aside->palette();
    asidePal.setColor(QPalette::WindowText, m_theme.color(Theme::Role::secondaryText));
    m_aside->setPalette(asidePal);
    m_checkNow->setFaint(m_state.buttonFaint);

    auto* dot = static_cast<StatusDot*>(m_dot);
    switch (m_state.tone) {
    case StatusStripState::Tone::checking:
        dot->color = m_theme.color(Theme::Role::checking);
        break;
    case StatusStripState::Tone::listening:
        dot->color = m_theme.color(Theme::Role::idle);
        break;
    case StatusStripState::Tone::problem:
        dot->color = m_theme.color(Theme::Role::attention);
        break;
    }
    const bool breathe = m_state.pulsing && isVisible();
    if (breathe && m_breath->state() != QAbstractAnimation::Running) {
        m_breath->setDirection(QAbstractAnimation::Forward);
        m_breath->start();
    } else if (!breathe) {
        m_breath->stop();
        m_dotOpacity = 1.0;
        dot->opacity = 1.0;
    }
    dot->update();
}
