#include "QualityPopover.h"

#include "ShowRowText.h"
#include "controls/PillButton.h"

#include <QHBoxLayout>
#include <QLabel>

QualityPopover::QualityPopover(Theme& theme, Show::Quality current, QWidget* parent)
    : Popover(theme, ShowRowText::kQualityPopoverTitle, parent) {
    setObjectName(QStringLiteral("qualityPopover"));
    auto* pills = new QHBoxLayout;
    pills->setSpacing(8);
    for (Show::Quality quality : ShowRowText::kQualityChoices) {
        const QString label = ShowRowText::qualityLabel(quality);
        auto* pill = new PillButton(theme, label, this);
        pill->setObjectName(QStringLiteral("qualityChoice.") + label);
        pill->setChecked(quality == current);
        connect(pill, &QAbstractButton::clicked, this, [this, quality] {
            Q_EMIT chosen(quality);
            close();
        });
        pills->addWidget(pill);
    }
    pills->addStretch();
    body()->addLayout(pills);
    addNote(ShowRowText::kQualityPopoverNote);
}
