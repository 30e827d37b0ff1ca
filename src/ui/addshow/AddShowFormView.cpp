#include "AddShowFormView.h"

#include "AddShowModel.h"
#include "AddShowStyle.h"
#include "BusySpinner.h"
#include "controls/PillButton.h"
#include "controls/VaneSwitch.h"
#include "model/EnumRaw.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const QList<Show::Quality> kQualities{Show::Quality::p1080, Show::Quality::p720,
                                      Show::Quality::p480};
} // namespace

AddShowFormView::AddShowFormView(AddShowModel& model, Theme& theme, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_theme(theme) {
    setObjectName(QStringLiteral("addShow.form"));
    build();
    applyTheme();
    refresh();
    connect(&m_model, &AddShowModel::formChanged, this, &AddShowFormView::refresh);
    connect(&m_theme, &Theme::changed, this, &AddShowFormView::applyTheme);
}

void AddShowFormView::build() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 18);
    layout->setSpacing(0);

    auto* header = new QHBoxLayout;
    const bool movie = m_model.isMovie();
    m_title = new QLabel(movie ? QStringLiteral("Add Movie") : QStringLiteral("Add Series"), this);
    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("addShow.close"));
    m_close->setFlat(true);
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setIconSize(QSize(18, 18));
    m_close->setFixedSize(24, 24);
    m_close->setStyleSheet(QStringLiteral("QPushButton{border:none;background:transparent;}"));
    m_close->setToolTip(QStringLiteral("Close"));
    m_close->setAccessibleName(m_close->toolTip());
    header->addWidget(m_title, 1);
    header->addWidget(m_close);
    layout->addLayout(header);
    layout->addSpacing(14);

    m_nameLabel =
        new QLabel(movie ? QStringLiteral("MOVIE NAME") : QStringLiteral("SERIES NAME"), this);
    layout->addWidget(m_nameLabel);
    layout->addSpacing(6);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("addShow.name"));
    m_name->setPlaceholderText(movie ? QStringLiteral("e.g. Eraserhead")
                                     : QStringLiteral("e.g. Da Vinci's Inquest"));
    m_name->setAccessibleName(m_nameLabel->text());
    layout->addWidget(m_name);

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("addShow.notice"));
    m_addAsTyped = new QPushButton(QStringLiteral("Add as typed anyway"), this);
    m_addAsTyped->setObjectName(QStringLiteral("addShow.addAsTyped"));
    layout->addSpacing(6);
    layout->addWidget(m_notice);
    layout->addWidget(m_addAsTyped, 0, Qt::AlignLeft);
    layout->addSpacing(12);

    m_qualityLabel = new QLabel(QStringLiteral("QUALITY"), this);
    layout->addWidget(m_qualityLabel);
    layout->addSpacing(6);
    auto* pills = new QHBoxLayout;
    pills->setSpacing(6);
    for (const Show::Quality q : kQualities) {
        auto* pill = new PillButton(m_theme, toRaw(q), this);
        pill->setObjectName(QStringLiteral("addShow.quality.") + toRaw(q));
        connect(pill, &QAbstractButton::clicked, this, [this, q] { m_model.setQuality(q); });
        pills->addWidget(pill);
        m_qualities.append(pill);
    }
    pills->addStretch(1);
    layout->addLayout(pills);
    layout->addSpacing(14);

    // The series-only rows below are hidden for a movie; so are their gaps.
    const auto seriesGap = [layout, movie](int points) {
        if (!movie)
            layout->addSpacing(points);
    };
    m_subscribe = new VaneSwitch(m_theme, QStringLiteral("Subscribe to series"),
                                 QStringLiteral("Keep grabbing new episodes as they air, after this"),
                                 this);
    m_subscribe->setObjectName(QStringLiteral("addShow.subscribe"));
    layout->addWidget(m_subscribe);
    seriesGap(10);
    // On the form itself, so a person sees that another resolution may be grabbed.
    m_fallback = new VaneSwitch(m_theme, QStringLiteral("Use another resolution if mine isn't found"),
                                QString(), this);
    m_fallback->setObjectName(QStringLiteral("addShow.fallbackQuality"));
    layout->addWidget(m_fallback);
    seriesGap(14);

    m_seasonLabel = new QLabel(QStringLiteral("SEASON (blank = all)"), this);
    layout->addWidget(m_seasonLabel);
    seriesGap(6);
    m_season = new QLineEdit(this);
    m_season->setObjectName(QStringLiteral("addShow.season"));
    m_season->setPlaceholderText(QStringLiteral("e.g. 2"));
    m_season->setFixedWidth(96);
    m_season->setAccessibleName(m_seasonLabel->text());
    layout->addWidget(m_season);
    seriesGap(10);
    m_pull = new VaneSwitch(m_theme, QString(), QString(), this);
    m_pull->setObjectName(QStringLiteral("addShow.pullSeason"));
    layout->addWidget(m_pull);
    seriesGap(10);

    m_more = new QPushButton(QStringLiteral("More options"), this);
    m_more->setObjectName(QStringLiteral("addShow.moreOptions"));
    m_more->setIconSize(QSize(12, 12));
    layout->addWidget(m_more, 0, Qt::AlignLeft);
    m_advanced = new QWidget(this);
    auto* advanced = new QVBoxLayout(m_advanced);
    advanced->setContentsMargins(0, 8, 0, 0);
    // The subscribe switch's start, under its own words.
    m_beginNext = new VaneSwitch(m_theme, QStringLiteral("Begin with next episode"),
                                 QStringLiteral("Subscribe beginning with next aired episode"),
                                 m_advanced);
    m_beginNext->setObjectName(QStringLiteral("addShow.beginNext"));
    advanced->addWidget(m_beginNext);
    m_anyQuality = movie ? new VaneSwitch(m_theme,
                                          QStringLiteral("Ignore the preference above and list "
                                                         "every resolution"),
                                          QString(), m_advanced)
                         : new VaneSwitch(m_theme, QStringLiteral("Accept any resolution"),
                                          QStringLiteral("Ignore the preference above and list "
                                                         "every resolution"),
                                          m_advanced);
    m_anyQuality->setObjectName(QStringLiteral("addShow.anyQuality"));
    advanced->addWidget(m_anyQuality);
    // A movie is hunted once, without following anything: no subscribe, season or pull.
    for (QWidget* seriesOnly : std::initializer_list<QWidget*>{
             m_subscribe, m_fallback, m_seasonLabel, m_season, m_pull, m_beginNext})
        seriesOnly->setVisible(!movie);
    layout->addWidget(m_advanced);
    layout->addSpacing(16);

    auto* footer = new QHBoxLayout;
    footer->setSpacing(8);
    m_spinner = new BusySpinner(m_theme, this);
    m_spinner->setObjectName(QStringLiteral("addShow.busy"));
    m_busy = new QLabel(this);
    m_primary = new QPushButton(this);
    m_primary->setObjectName(QStringLiteral("addShow.primary"));
    m_primary->setCursor(Qt::PointingHandCursor);
    footer->addWidget(m_spinner);
    footer->addWidget(m_busy, 1);
    footer->addWidget(m_primary);
    layout->addLayout(footer);

    connect(m_close, &QPushButton::clicked, this, &AddShowFormView::closeClicked);
    // textChanged, not textEdited: assistive tools set the text without typing it.
    connect(m_name, &QLineEdit::textChanged, &m_model, &AddShowModel::setName);
    connect(m_name, &QLineEdit::returnPressed, &m_model, &AddShowModel::primary);
    connect(m_season, &QLineEdit::textChanged, &m_model, &AddShowModel::setSeasonText);
    connect(m_season, &QLineEdit::returnPressed, &m_model, &AddShowModel::primary);
    connect(m_addAsTyped, &QPushButton::clicked, &m_model, &AddShowModel::addAsTyped);
    connect(m_subscribe, &QAbstractButton::toggled, &m_model, &AddShowModel::setStartWithLatest);
    connect(m_beginNext, &QAbstractButton::toggled, &m_model, &AddShowModel::setStartWithLatest);
    connect(m_pull, &QAbstractButton::toggled, &m_model, &AddShowModel::setPullEntireSeason);
    connect(m_fallback, &QAbstractButton::toggled, &m_model,
            &AddShowModel::setFallbackAnyQuality);
    connect(m_anyQuality, &QAbstractButton::toggled, &m_model, &AddShowModel::setAnyQuality);
    connect(m_more, &QPushButton::clicked, this,
            [this] { m_model.setShowAdvanced(!m_model.showAdvanced()); });
    connect(m_primary, &QPushButton::clicked, &m_model, &AddShowModel::primary);
}

void AddShowFormView::applyTheme() {
    setPalette(m_theme.palette());
    AddShowStyle::titleLabel(*m_title, m_theme);
    m_close->setIcon(m_theme.symbol(QStringLiteral("xmark.circle.fill"), Theme::Role::faintText));
    for (QLabel* label : {m_nameLabel, m_qualityLabel, m_seasonLabel})
        AddShowStyle::sectionLabel(*label, m_theme);
    AddShowStyle::lineEdit(*m_name, m_theme);
    AddShowStyle::lineEdit(*m_season, m_theme);
    AddShowStyle::noteLabel(*m_notice, m_theme, Theme::Role::attention);
    AddShowStyle::noteLabel(*m_busy, m_theme);
    AddShowStyle::linkButton(*m_addAsTyped, m_theme);
    AddShowStyle::linkButton(*m_more, m_theme);
    AddShowStyle::primaryButton(*m_primary, m_theme);
    refresh();
}

void AddShowFormView::refresh() {
    if (m_name->text() != m_model.name()) // never fight the typing
        m_name->setText(m_model.name());
    if (m_season->text() != m_model.seasonText())
        m_season->setText(m_model.seasonText());

    const QString notice = m_model.formNotice();
    m_notice->setText(notice);
    m_notice->setVisible(!notice.isEmpty());
    m_addAsTyped->setVisible(m_model.offersAddAsTyped());

    for (int i = 0; i < m_qualities.size(); ++i)
        m_qualities[i]->setChecked(kQualities[i] == m_model.quality());
    {
        const QSignalBlocker a(m_subscribe), b(m_pull), c(m_fallback), d(m_anyQuality),
            e(m_beginNext);
        m_beginNext->setChecked(m_model.startWithLatest());
        m_anyQuality->setChecked(m_model.anyQuality());
        m_subscribe->setChecked(m_model.startWithLatest());
        m_pull->setChecked(m_model.pullEntireSeason());
        m_fallback->setChecked(m_model.fallbackAnyQuality());
    }
    m_pull->setText(m_model.pullTitle());
    m_pull->setNote(m_model.pullNote());
    m_fallback->setNote(m_model.qualityNote());
    m_advanced->setVisible(m_model.showAdvanced());
    m_more->setIcon(m_theme.symbol(m_model.showAdvanced() ? QStringLiteral("chevron.down")
                                                          : QStringLiteral("chevron.right"),
                                   Theme::Role::accent));

    m_spinner->setRunning(m_model.isSearching());
    m_busy->setText(m_model.busyText());
    QString label = m_model.primaryLabel();
    m_primary->setText(label.replace(u'&', QStringLiteral("&&"))); // "&" is no mnemonic here
    // Before a series is confirmed the button looks something up; after, it commits.
    m_primary->setEnabled(m_model.resolvedShow() ? m_model.canCommit()
                                                 : !m_model.name().trimmed().isEmpty() &&
                                                       !m_model.isSearching());

    const int height = fittingHeight();
    if (height != m_lastHeight) {
        m_lastHeight = height;
        Q_EMIT sizeChanged();
    }
}

int AddShowFormView::fittingHeight() const {
    // Without a wrapping text on show (the empty movie form) the layout has no
    // height-for-width and answers -1: its size hint holds then.
    const int forWidth = layout()->totalHeightForWidth(kWidth);
    return forWidth >= 0 ? forWidth : layout()->totalSizeHint().height();
}

void AddShowFormView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    // Wayland gives no global positions: there the compositor moves the window.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
        window()->windowHandle() && window()->windowHandle()->startSystemMove())
        return;
    m_dragFrom = event->globalPosition().toPoint() - window()->pos();
}

void AddShowFormView::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragFrom && (event->buttons() & Qt::LeftButton))
        window()->move(event->globalPosition().toPoint() - *m_dragFrom);
}

void AddShowFormView::mouseReleaseEvent(QMouseEvent* event) {
    m_dragFrom.reset();
    QWidget::mouseReleaseEvent(event);
}
