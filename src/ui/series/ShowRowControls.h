#pragma once

#include "ShowRowPart.h"

#include <QModelIndex>
#include <QObject>
#include <QRect>

#include <functional>

class QAbstractButton;
class RowControlLayer;
class QWidget;

// Invisible stand-ins for the expanded series row's painted controls, for screen readers:
// named as their tooltips say, described by what they show, the switch checkable. A press
// does what a click on the painted control does.
class ShowRowControls final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShowRowControls)

public:
    ShowRowControls(QWidget* host, std::function<void(ShowRowPart)> pressed);

    // Lies over `area` (in the host's coordinates) with the controls of the row at `index`;
    // `rectOf` says where a control is drawn, in `area`'s coordinates.
    void place(const QRect& area, const QModelIndex& index,
               const std::function<QRect(ShowRowPart)>& rectOf);
    void hide();
    // The stand-in for a control while it is shown, else null.
    QAbstractButton* control(ShowRowPart part) const;

private:
    RowControlLayer* m_layer;
};
