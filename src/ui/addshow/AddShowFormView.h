#pragma once

#include "Theme.h"

#include <QPoint>
#include <optional>
#include <QWidget>

class AddShowModel;
class BusySpinner;
class PillButton;
class QLabel;
class QLineEdit;
class QPushButton;
class VaneSwitch;

// The form of the add-series and add-movie flows: the name, the options and the primary button. It shows
// the model's state and hands every change back to it. Dragging its background moves the
// panel it sits in.
class AddShowFormView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 380;

    AddShowFormView(AddShowModel& model, Theme& theme, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return m_name; }
    // The height the form needs at its width.
    int fittingHeight() const;

Q_SIGNALS:
    // The content's height changed (a notice, "More options").
    void sizeChanged();
    void closeClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void build();
    void applyTheme();
    void refresh();

    AddShowModel& m_model;
    Theme& m_theme;
    QLabel* m_title = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLineEdit* m_name = nullptr;
    QLabel* m_notice = nullptr;
    QPushButton* m_addAsTyped = nullptr;
    QLabel* m_qualityLabel = nullptr;
    QList<PillButton*> m_qualities;
    VaneSwitch* m_subscribe = nullptr;
    QLabel* m_seasonLabel = nullptr;
    QLineEdit* m_season = nullptr;
    VaneSwitch* m_pull = nullptr;
    QPushButton* m_more = nullptr;
    QWidget* m_advanced = nullptr;
    VaneSwitch* m_fallback = nullptr;
    VaneSwitch* m_beginNext = nullptr;
    VaneSwitch* m_anyQuality = nullptr;
    BusySpinner* m_spinner = nullptr;
    QLabel* m_busy = nullptr;
    QPushButton* m_primary = nullptr;
    int m_lastHeight = 0;
    std::optional<QPoint> m_dragFrom; // the press position relative to the window
};
