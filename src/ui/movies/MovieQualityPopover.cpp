#include "MovieQualityPopover.h"

#include "MovieRowText.h"
#include "addshow/AddShowStyle.h"
#include "controls/PillButton.h"

#include <QHBoxLayout>
#include <QPushButton>

MovieQualityPopover::MovieQualityPopover(Theme& theme, Show::Quality current, QWidget* parent)
    : Popover(theme, MovieRowText::kQualityPopoverTitle, parent)
    , m_current(current)
    , m_staged(current) {
    setObjectName(QStringLiteral("movieQualityPopover"));
    auto* pills = new QHBoxLayout;
    pills->setSpacing(8);
    for (Show::Quality quality : ShowRowText::kQualityChoices) {
        const QString label = ShowRowText::qualityLabel(quality);
        auto* pill = new PillButton(theme, label, this);
        pill->setObjectName(QStringLiteral("movieQualityChoice.") + label);
        pill->setAccessibleName(label);
        pill->setFocusPolicy(Qt::StrongFocus);
        connect(pill, &QAbstractButton::clicked, this, [this, quality] { stage(quality); });
        pills->addWidget(pill);
        m_pills.append({quality, pill});
    }
    pills->addStretch();
    body()->addLayout(pills);
    addNote(MovieRowText::kQualityPopoverNote);
    m_apply = new QPushButton(MovieRowText::kApplyQuality, this);
    m_apply->setObjectName(QStringLiteral("movieQualityApply"));
    m_apply->setAccessibleName(m_apply->text());
    m_apply->setDefault(true);
    AddShowStyle::primaryButton(*m_apply, theme);
    connect(m_apply, &QPushButton::clicked, this, [this] {
        if (m_staged != m_current)
            Q_EMIT applied(m_staged);
        close();
    });
    body()->addWidget(m_apply, 0, Qt::AlignRight);
    refresh();
}

void MovieQualityPopover::stage(Show::Quality quality) {
    m_staged = quality;
    refresh();
}

void MovieQualityPopover::refresh() {
    for (const auto& [quality, pill] : m_pills)
        pill->setChecked(quality == m_staged);
    m_apply->setEnabled(m_staged != m_current);
}
