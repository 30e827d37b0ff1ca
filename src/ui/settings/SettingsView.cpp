#include "SettingsView.h"

#include "FlatButton.h"
#include "SettingsText.h"
#include "api/Watchlist.h"
#include "controls/PillButton.h"
#include "controls/VaneSwitch.h"
#include "model/LibraryLayout.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace settingstext;

namespace {

// A section's rounded card.
class Card final : public QWidget {
public:
    Card(Theme& theme, QWidget* parent)
        : QWidget(parent)
        , m_theme(theme) {
        connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(m_theme.color(Theme::Role::separator), 1));
        p.setBrush(m_theme.color(Theme::Role::surface));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }

private:
    Theme& m_theme;
};

void tint(QWidget* w, const Theme& theme, Theme::Role role) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, theme.color(role));
    pal.setColor(QPalette::Text, theme.color(role));
    pal.setColor(QPalette::Link, theme.color(Theme::Role::accent));
    w->setPalette(pal);
}

QString qualityName(Show::Quality q) {
    return toRaw(q);
}

} // namespace

SettingsView::SettingsView(const Watchlist& watchlist, Theme& theme, SettingsHooks hooks,
                           QWidget* parent)
    : QWidget(parent)
    , m_state(watchlist.state)
    , m_operations(watchlist.operations)
    , m_theme(theme)
    , m_hooks(std::move(hooks)) {
    setObjectName(QStringLiteral("settingsView"));
    if (!m_hooks.chooseFolder) {
        m_hooks.chooseFolder = [](QWidget* parent) -> std::optional<QString> {
            QFileDialog dialog(parent,
                               QStringLiteral("Select the root folder where sorted series will "
                                              "be saved"));
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly);
            dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Choose"));
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return std::nullopt;
            return dialog.selectedFiles().first();
        };
    }
    if (!m_hooks.openFolder)
        m_hooks.openFolder = [](const QUrl& folder) { QDesktopServices::openUrl(folder); };
    if (m_hooks.home.isEmpty())
        m_hooks.home = QDir::homePath();
    build();
    connect(&m_state, &PublishedState::settingsChanged, this, &SettingsView::refresh);
    connect(&m_state, &PublishedState::workingFolderSizeLabelChanged, this, &SettingsView::refresh);
    connect(&m_theme, &Theme::changed, this, &SettingsView::applyTheme);
    readOutsideState();
    refresh();
    applyTheme();
}

QLabel* SettingsView::caption(const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("settingsCaption"));
    QFont f = label->font();
    f.setWeight(QFont::DemiBold);
    label->setFont(f);
    label->setAccessibleName(text);
    return label;
}

QLabel* SettingsView::note(const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("settingsNote"));
    label->setWordWrap(true);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 0.88);
    label->setFont(f);
    return label;
}

QWidget* SettingsView::section(const QString& title, QVBoxLayout*& content) {
    auto* box = new QWidget(m_page);
    box->setObjectName(QStringLiteral("settingsSection.") + title);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto* heading = new QLabel(title.toUpper(), box);
    heading->setObjectName(QStringLiteral("settingsSectionTitle"));
    QFont f = heading->font();
    f.setPointSizeF(f.pointSizeF() * 0.8);
    f.setWeight(QFont::Bold);
    f.setLetterSpacing(QFont::PercentageSpacing, 106);
    heading->setFont(f);
    column->addWidget(heading);
    auto* card = new Card(m_theme, box);
    content = new QVBoxLayout(card);
    content->setContentsMargins(14, 12, 14, 12);
    content->setSpacing(8);
    column->addWidget(card);
    return box;
}

void SettingsView::build() {
    auto* title = new QLabel(QStringLiteral("Settings"), this);
    title->setObjectName(QStringLiteral("settingsTitle"));
    QFont titleFont = title->font();
    titleFont.setPixelSize(18);
    titleFont.setWeight(QFont::Bold);
    title->setFont(titleFont);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("settingsScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocusPolicy(Qt::NoFocus); // it follows the focused setting

    m_scroll->viewport()->setAutoFillBackground(false);
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("settingsPage"));
    m_page->setAutoFillBackground(false);
    auto* page = new QVBoxLayout(m_page);
    page->setContentsMargins(22, 4, 18, 22);
    page->setSpacing(18);
    QVBoxLayout* c = nullptr;

    // Startup
    page->addWidget(section(QStringLiteral("Startup"), c));
    m_login = new VaneSwitch(m_theme, QStringLiteral("Open at login"),
                             QStringLiteral("Runs quietly in the menu bar on login."));
    m_login->setObjectName(QStringLiteral("openAtLoginSwitch"));
    c->addWidget(m_login);
    m_magnet = new VaneSwitch(m_theme, QStringLiteral("Window magnetization"),
                              QStringLiteral("The window clings to the menu bar — slide it "
                                             "along, or pull firmly to break it free."));
    m_magnet->setObjectName(QStringLiteral("magnetizationSwitch"));
    c->addWidget(m_magnet);
    c->addWidget(caption(QStringLiteral("Appearance")));
    auto* looks = new QHBoxLayout;
    looks->setSpacing(6);
    for (AppTheme look : {AppTheme::light, AppTheme::dark}) {
        auto* pill = new PillButton(m_theme, look == AppTheme::light ? QStringLiteral("Light")
                                                                     : QStringLiteral("Dark"));
        pill->setObjectName(QStringLiteral("appearance.") + toRaw(look));
        connect(pill, &QAbstractButton::clicked, this, [this, look] {
            m_operations.updateSettings([look](AppSettings& s) { s.theme = look; });
            refresh(); // a click must not unselect the pill when nothing changed
        });
        m_appearance[look] = pill;
        looks->addWidget(pill);
    }
    looks->addStretch(1);
    c->addLayout(looks);
    connect(m_login, &QAbstractButton::toggled, this, &SettingsView::setLoginItem);
    connect(m_magnet, &QAbstractButton::toggled, this, [this](bool on) {
        m_operations.updateSettings([on](AppSettings& s) { s.windowMagnetization = on; });
    });

    // Downloads
    page->addWidget(section(QStringLiteral("Downloads"), c));
    c->addWidget(caption(QStringLiteral("Root Folder")));
    auto* rootRow = new QHBoxLayout;
    m_root = new QLabel;
    m_root->setObjectName(QStringLiteral("rootFolderLabel"));
    m_root->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_root->setMinimumWidth(80);
    m_root->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // long paths elide
    m_root->installEventFilter(this);
    rootRow->addWidget(m_root, 1);
    auto* choose = new FlatButton(m_theme, QStringLiteral("Choose"));
    choose->setObjectName(QStringLiteral("chooseRootButton"));
    choose->setTinted(true);
    auto* reveal = new FlatButton(m_theme, QStringLiteral("Reveal"));
    reveal->setObjectName(QStringLiteral("revealRootButton"));
    rootRow->addWidget(choose);
    rootRow->addWidget(reveal);
    c->addLayout(rootRow);
    c->addWidget(note(locationNote(m_hooks.defaultRoot, m_hooks.home)));
    connect(choose, &QAbstractButton::clicked, this, &SettingsView::chooseRoot);
    connect(reveal, &QAbstractButton::clicked, this, &SettingsView::revealRoot);

    // Working Files
    page->addWidget(section(QStringLiteral("Working Files"), c));
    c->addWidget(note(workingFolderNote()));
    auto* clearRow = new QHBoxLayout;
    auto* clear = new FlatButton(m_theme, QStringLiteral("Clear Working Folder…"));
    clear->setObjectName(QStringLiteral("clearWorkingFolderButton"));
    clear->setTinted(true);
    m_folderSize = new QLabel;
    m_folderSize->setObjectName(QStringLiteral("workingFolderSize"));
    clearRow->addWidget(clear);
    clearRow->addWidget(m_folderSize);
    clearRow->addStretch(1);
    c->addLayout(clearRow);
    connect(clear, &QAbstractButton::clicked, this, &SettingsView::confirmClearWorkingFolder);

    // Default Quality
    page->addWidget(section(QStringLiteral("Default Quality"), c));
    auto* qualities = new QHBoxLayout;
    qualities->setSpacing(6);
    for (Show::Quality q : {Show::Quality::p1080, Show::Quality::p720, Show::Quality::p480}) {
        auto* pill = new PillButton(m_theme, qualityName(q));
        pill->setObjectName(QStringLiteral("quality.") + qualityName(q));
        connect(pill, &QAbstractButton::clicked, this, [this, q] {
            m_operations.updateSettings([q](AppSettings& s) { s.defaultQuality = q; });
            refresh();
        });
        m_quality[q] = pill;
        qualities->addWidget(pill);
    }
    qualities->addStretch(1);
    c->addLayout(qualities);
    c->addWidget(
        note(QStringLiteral("Applied to new series and movies — change individually on any row")));

    // Feed Checking
    page->addWidget(section(QStringLiteral("Feed Checking"), c));
    c->addWidget(caption(QStringLiteral("Check Interval")));
    auto* intervals = new QHBoxLayout;
    intervals->setSpacing(6);
    for (int minutes : intervalChoices()) {
        auto* pill = new PillButton(m_theme, intervalLabel(minutes));
        pill->setObjectName(QStringLiteral("interval.%1").arg(minutes));
        // The store restarts the countdown from the full new interval.
        connect(pill, &QAbstractButton::clicked, this, [this, minutes] {
            m_operations.updateSettings(
                [minutes](AppSettings& s) { s.checkIntervalMinutes = minutes; });
            refresh();
        });
        m_interval[minutes] = pill;
        intervals->addWidget(pill);
    }
    intervals->addStretch(1);
    c->addLayout(intervals);
    c->addWidget(note(QStringLiteral("How often Lumivane searches the torrent indexes for new "
                                     "episodes")));

    // Notifications
    page->addWidget(section(QStringLiteral("Notifications"), c));
    m_sound = new VaneSwitch(m_theme, QStringLiteral("Play sound when complete"));
    m_sound->setObjectName(QStringLiteral("soundSwitch"));
    c->addWidget(m_sound);
    connect(m_sound, &QAbstractButton::toggled, this, [this](bool on) {
        m_operations.updateSettings([on](AppSettings& s) { s.notificationSoundEnabled = on; });
    });

    // Seeding
    page->addWidget(section(QStringLiteral("Seeding"), c));
    auto* seedRow = new QHBoxLayout;
    m_seedCheck = new QCheckBox(QStringLiteral("Stop seeding at ratio"));
    m_seedCheck->setObjectName(QStringLiteral("seedRatioCheck"));
    m_ratio = new QLineEdit;
    m_ratio->setObjectName(QStringLiteral("seedRatioField"));
    m_ratio->setAccessibleName(QStringLiteral("Seeding ratio"));
    m_ratio->setFixedWidth(64);
    m_ratio->setAlignment(Qt::AlignRight);
    seedRow->addWidget(m_seedCheck);
    seedRow->addWidget(m_ratio);
    seedRow->addStretch(1);
    c->addLayout(seedRow);
    c->addWidget(note(seedingHelp()));
    // The store re-sends the limit to the daemon (with retries) on each change.
    connect(m_seedCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_operations.updateSettings([on](AppSettings& s) { s.seedRatioEnabled = on; });
    });
    connect(m_ratio, &QLineEdit::editingFinished, this, &SettingsView::commitRatio);

    // Episode Data
    page->addWidget(section(QStringLiteral("Episode Data"), c));
    c->addWidget(caption(QStringLiteral("TMDB API Key")));
    m_key = new QLineEdit;
    m_key->setObjectName(QStringLiteral("tmdbKeyField"));
    m_key->setAccessibleName(QStringLiteral("TMDB API Key"));
    m_key->setEchoMode(QLineEdit::Password);
    m_key->setPlaceholderText(QStringLiteral("Paste your TMDB API key"));
    c->addWidget(m_key);
    m_keyNote = note(tmdbKeyNote());
    m_keyNote->setObjectName(QStringLiteral("tmdbKeyNote"));
    m_keyNote->setTextFormat(Qt::RichText);
    m_keyNote->setOpenExternalLinks(true);
    c->addWidget(m_keyNote);
    // Stored exactly as typed: an empty field means the built-in key.
    connect(m_key, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_operations.updateSettings([text](AppSettings& s) { s.tmdbAPIKey = text; });
    });

    // Updates
    page->addWidget(section(QStringLiteral("Updates"), c));
    m_autoUpdates = new VaneSwitch(m_theme, QStringLiteral("Check automatically"),
                                   QStringLiteral("Looks for a new update once a day"));
    m_autoUpdates->setObjectName(QStringLiteral("autoUpdateSwitch"));
    c->addWidget(m_autoUpdates);
    auto* checkRow = new QHBoxLayout;
    auto* checkNow = new FlatButton(m_theme, QStringLiteral("Check for Updates…"));
    checkNow->setObjectName(QStringLiteral("checkUpdatesButton"));
    checkNow->setTinted(true);
    checkRow->addWidget(checkNow);
    checkRow->addStretch(1);
    c->addLayout(checkRow);
    connect(m_autoUpdates, &QAbstractButton::toggled, this, [this](bool on) {
        m_hooks.setUpdatesAutomatic(on);
        const QSignalBlocker quiet(m_autoUpdates);
        m_autoUpdates->setChecked(m_hooks.updatesAutomatic());
    });
    connect(checkNow, &QAbstractButton::clicked, this, [this] { m_hooks.checkForUpdates(); });
    m_autoUpdates->setEnabled(m_hooks.updatesConfigured());

    page->addStretch(1);
    m_scroll->setWidget(m_page);
    // The window's rounded body shows through (setWidget turns the fill on).
    m_page->setAutoFillBackground(false);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(22, 18, 18, 8);
    header->addWidget(title);
    header->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(m_scroll, 1);
}

void SettingsView::refresh() {
    const AppSettings& s = m_state.settings();
    const auto setQuietly = [](QAbstractButton* button, bool on) {
        const QSignalBlocker quiet(button);
        button->setChecked(on);
    };
    setQuietly(m_magnet, s.windowMagnetization);
    for (auto& [look, pill] : m_appearance)
        setQuietly(pill, look == s.theme);
    m_rootText = rootFolderText(s.rootFolder, m_hooks.defaultRoot, m_hooks.home);
    elideRoot();
    m_root->setToolTip(m_state.rootFolderURL().toLocalFile());
    m_folderSize->setText(m_state.workingFolderSizeLabel());
    for (auto& [q, pill] : m_quality)
        setQuietly(pill, q == s.defaultQuality);
    for (auto& [minutes, pill] : m_interval)
        setQuietly(pill, minutes == s.checkIntervalMinutes);
    setQuietly(m_sound, s.notificationSoundEnabled);
    setQuietly(m_seedCheck, s.seedRatioEnabled);
    // Fields being typed into keep what the person types.
    if (!m_ratio->hasFocus())
        m_ratio->setText(ratioText(s.seedRatioLimit));
    if (!m_key->hasFocus() && m_key->text() != s.tmdbAPIKey)
        m_key->setText(s.tmdbAPIKey);
}

void SettingsView::applyTheme() {
    tint(this, m_theme, Theme::Role::text);
    for (QLabel* label : findChildren<QLabel*>()) {
        const QString name = label->objectName();
        const bool soft = name == QLatin1String("settingsNote") ||
                          name == QLatin1String("tmdbKeyNote") ||
                          name == QLatin1String("settingsSectionTitle") ||
                          name == QLatin1String("workingFolderSize");
        tint(label, m_theme, soft ? Theme::Role::secondaryText : Theme::Role::text);
    }
    m_seedCheck->setPalette(m_theme.palette());
    // A rich text's link takes its colour when the text is set, not from later palettes.
    m_keyNote->setText(tmdbKeyNote().replace(
        QLatin1String("<a "),
        QStringLiteral("<a style=\"color:%1\" ").arg(m_theme.color(Theme::Role::accent).name())));
    const auto css = [](const QColor& c) {
        return QStringLiteral("rgba(%1,%2,%3,%4)")
            .arg(c.red())
            .arg(c.green())
            .arg(c.blue())
            .arg(c.alpha());
    };
    for (QLineEdit* field : {m_ratio, m_key}) {
        field->setPalette(m_theme.palette());
        field->setStyleSheet(
            QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid %3;"
                           " border-radius: 6px; padding: 3px 6px; }"
                           "QLineEdit:focus { border: 2px solid %4; padding: 2px 5px; }")
                .arg(css(m_theme.color(Theme::Role::window)), css(m_theme.color(Theme::Role::text)),
                     css(m_theme.color(Theme::Role::faintText)),
                     css(m_theme.color(Theme::Role::focusRing))));
    }
    m_scroll->verticalScrollBar()->setStyleSheet(m_theme.thinScrollBarStyle());
    update();
}

void SettingsView::elideRoot() {
    // A long path loses its middle, keeping where it starts and the folder's own name.
    m_root->setText(m_root->fontMetrics().elidedText(m_rootText, Qt::ElideMiddle, m_root->width()));
    m_root->setAccessibleName(m_rootText);
}

bool SettingsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_root && event->type() == QEvent::Resize)
        elideRoot();
    return QWidget::eventFilter(watched, event);
}

void SettingsView::readOutsideState() {
    // The desktop's autostart settings can change the login item behind Lumivane's back.
    const QSignalBlocker quietLogin(m_login);
    m_login->setChecked(m_hooks.loginItemEnabled());
    const QSignalBlocker quietUpdates(m_autoUpdates);
    m_autoUpdates->setChecked(m_hooks.updatesAutomatic());
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    readOutsideState();
    m_operations.refreshWorkingFolderSize(); // runs on; the label follows when it is measured
}

void SettingsView::setLoginItem(bool on) {
    if (m_hooks.setLoginItemEnabled(on))
        return;
    // The desktop refused: show what is really there.
    const QSignalBlocker quiet(m_login);
    m_login->setChecked(m_hooks.loginItemEnabled());
}

void SettingsView::chooseRoot() {
    const auto chosen = m_hooks.chooseFolder(window());
    if (!chosen)
        return;
    const QString folder = QDir::cleanPath(*chosen);
    if (const auto why = LibraryLayout::unusableReason(folder)) {
        refuse(QStringLiteral("This folder cannot hold your library"),
               QStringLiteral("%1 cannot be used: %2. The library stays in %3.")
                   .arg(homeRelative(folder, m_hooks.home), *why,
                        homeRelative(m_state.rootFolderURL().toLocalFile(), m_hooks.home)));
        return;
    }
    m_operations.updateSettings(
        [folder](AppSettings& s) { s.rootFolder = QUrl::fromLocalFile(folder); });
}

void SettingsView::revealRoot() {
    const QString root = m_state.rootFolderURL().toLocalFile();
    if (const auto why = LibraryLayout::unusableReason(root)) {
        refuse(
            QStringLiteral("The library folder cannot be shown"),
            QStringLiteral("%1 cannot be used: %2.").arg(homeRelative(root, m_hooks.home), *why));
        return;
    }
    m_hooks.openFolder(QUrl::fromLocalFile(root));
}

void SettingsView::commitRatio() {
    const auto ratio = parseRatio(m_ratio->text());
    if (ratio && *ratio != m_state.settings().seedRatioLimit)
        m_operations.updateSettings([value = *ratio](AppSettings& s) { s.seedRatioLimit = value; });
    // Not a number, or -1 stored as 0: the field shows what is stored.
    m_ratio->setText(ratioText(m_state.settings().seedRatioLimit));
}

void SettingsView::followTheme(QWidget* alert) {
    alert->setPalette(m_theme.palette());
    connect(&m_theme, &Theme::changed, alert,
            [alert, this] { alert->setPalette(m_theme.palette()); });
}

void SettingsView::refuse(const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, title, QMessageBox::Ok, window());
    box->setInformativeText(text);
    box->setObjectName(QStringLiteral("settingsRefusal"));
    followTheme(box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    m_message = box;
}

SettingsView::~SettingsView() {
    // The focused ratio field loses its focus while the children go, and would commit into a
    // view that is already gone.
    if (m_ratio)
        m_ratio->disconnect(this);
}

QMessageBox* SettingsView::confirmClearWorkingFolder() {
    auto* box = new QMessageBox(window());
    box->setObjectName(QStringLiteral("clearWorkingFolderAlert"));
    box->setIcon(QMessageBox::Warning);
    box->setText(QString::fromUtf8(kClearTitle));
    box->setInformativeText(clearConfirmation(m_state.inProgressDownloads()));
    followTheme(box); // the application's appearance, not the desktop's
    auto* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    auto* clear = box->addButton(QString::fromUtf8(kClearButton), QMessageBox::DestructiveRole);
    clear->setObjectName(QStringLiteral("clearButton"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Only the clear button acts; Cancel, Escape and closing the alert leave everything as is.
    connect(box, &QMessageBox::buttonClicked, this, [this, clear](QAbstractButton* button) {
        if (button == clear)
            m_operations.clearWorkingFolder();
    });
    box->open();
    m_message = box;
    return box;
}
