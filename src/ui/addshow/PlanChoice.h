#pragma once

#include "Theme.h"

#include <QAbstractButton>

// One row of the plan choice: a radio symbol, a title and a description beside it.
class PlanChoice final : public QAbstractButton {
    Q_OBJECT

public:
    PlanChoice(Theme& theme, const QString& title, const QString& description,
               QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Theme& m_theme;
    QString m_description;
};
