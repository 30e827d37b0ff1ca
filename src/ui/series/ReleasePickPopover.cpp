#include "ReleasePickPopover.h"

#include "ShowRowText.h"
#include "controls/PillButton.h"

#include <QHBoxLayout>
#include <QLabel>

ReleasePickPopover::ReleasePickPopover(Theme& theme, const Show& show, const EpisodePick& pick,
                                       QWidget* parent)
    : Popover(theme, ShowRowText::pickTitle(show, pick), parent) {
    setObjectName(QStringLiteral("releasePickPopover"));
    addNote(ShowRowText::kPickLine);
    auto* choices = new QVBoxLayout;
    choices->setSpacing(6);
    for (qsizetype i = 0; i < pick.alternates.size(); ++i) {
        const SearchResult release = pick.alternates[i];
        auto* button = new PillButton(theme, ShowRowText::alternateLabel(release), this);
        button->setObjectName(QStringLiteral("alternateRelease.%1").arg(i));
        button->setCheckable(false);
        button->setToolTip(release.title);
        button->setMinimumWidth(200);
        connect(button, &QAbstractButton::clicked, this, [this, release] {
            Q_EMIT picked(release);
            close();
        });
        choices->addWidget(button);
    }
    body()->addLayout(choices);

    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* dismiss = new PillButton(theme, ShowRowText::kDismiss, this);
    dismiss->setObjectName(QStringLiteral("dismissPickButton"));
    dismiss->setCheckable(false);
    connect(dismiss, &QAbstractButton::clicked, this, [this] {
        Q_EMIT dismissed();
        close();
    });
    row->addWidget(dismiss);
    body()->addLayout(row);
}
