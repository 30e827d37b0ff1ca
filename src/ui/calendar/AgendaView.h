#pragma once

#include "Theme.h"

#include <QWidget>

#include <functional>

class PublishedState;
class QVBoxLayout;

// The agenda panel's content: the coming days that have episodes, "Today" first, each in its
// own bubble; a short line when nothing airs.
class AgendaView final : public QWidget {
    Q_OBJECT

public:
    AgendaView(PublishedState& state, Theme& theme, std::function<void()> onClose,
               QWidget* parent = nullptr);

    // Reads the events again for today's date.
    void refresh();

Q_SIGNALS:
    // The content's height may have changed.
    void contentChanged();

private:
    PublishedState& m_state;
    Theme& m_theme;
    std::function<void()> m_onClose;
    QVBoxLayout* m_days = nullptr;
};
