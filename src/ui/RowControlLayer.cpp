#include "RowControlLayer.h"

#include <QAbstractButton>
#include <QSignalBlocker>

namespace {

class RowControl final : public QAbstractButton {
public:
    explicit RowControl(QWidget* parent)
        : QAbstractButton(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {}
};

} // namespace

RowControlLayer::RowControlLayer(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void RowControlLayer::add(int key, const QString& objectName, bool checkable,
                          std::function<void()> pressed) {
    auto* control = new RowControl(this);
    control->setObjectName(objectName);
    control->setCheckable(checkable);
    connect(control, checkable ? &QAbstractButton::toggled : &QAbstractButton::clicked, this,
            [pressed = std::move(pressed)] { pressed(); });
    m_controls.insert(key, control);
}

void RowControlLayer::place(const QRect& area, const QString& rowName,
                            const QMap<int, Control>& controls) {
    setGeometry(area);
    setAccessibleName(rowName);
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        QAbstractButton* button = it.value();
        const Control shown = controls.value(it.key());
        if (shown.rect.isEmpty()) {
            button->hide();
            continue;
        }
        button->setAccessibleName(shown.name);
        button->setAccessibleDescription(shown.description);
        if (shown.checked) {
            const QSignalBlocker quiet(button);
            button->setChecked(*shown.checked);
        }
        button->setGeometry(shown.rect);
        button->show();
    }
    raise();
    show();
}

QAbstractButton* RowControlLayer::control(int key) const {
    QAbstractButton* button = m_controls.value(key);
    return button && button->isVisibleTo(parentWidget()) ? button : nullptr;
}
