#pragma once

#include "Theme.h"
#include "present/EpisodeDrawerModel.h"

#include <QColor>
#include <QWidget>

#include <functional>

class QLayout;
class QScrollArea;

// The theme's colour for what a drawer text means.
Theme::Role drawerRole(EpisodeDrawerTexts::Tone tone);

// A rounded card on a fill colour: a panel under a row, or one release in it.
class DrawerCard final : public QWidget {
public:
    DrawerCard(Theme& theme, Theme::Role fill, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Theme& m_theme;
    Theme::Role m_fill;
};

// One line of text cut with an ellipsis when the row is narrower than the text.
class ElidedLabel final : public QWidget {
public:
    ElidedLabel(const QString& text, QColor color, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_color;
};

// The offer of other qualities under an episode, or a download's alternates: a heading with
// a close button, an optional note, and one card per release with its button.
struct ReleasePanelContent {
    QString namePrefix; // "episodeDrawer.offer", "episodeDrawer.alternates"
    QString heading;
    QString note;
    EpisodeDrawerTexts::Tone noteTone = EpisodeDrawerTexts::Tone::plain;
    QString chooseLabel;
    QList<EpisodeDrawerModel::ReleaseRow> rows;
    std::function<void(int)> choose;
    std::function<void()> close;
};
QWidget* releasePanel(Theme& theme, const ReleasePanelContent& content);

QScrollArea* drawerScrollArea(QWidget* content);
void clearDrawerLayout(QLayout* layout);
