#include "LiveRegion.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// Read as a status bar, the role screen readers follow for changes they were not asked about.
QAccessibleInterface* liveRegionFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("LiveRegion") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StatusBar);
    return nullptr;
}

} // namespace

LiveRegion::LiveRegion(QWidget* parent)
    : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(liveRegionFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("announcer"));
    setFixedSize(1, 1); // on screen, so readers do not skip it; too small to see
    setFocusPolicy(Qt::NoFocus);
}

void LiveRegion::announce(const QString& text) {
    ++m_count;
    setAccessibleName(text);
    // Sent here, not left to setAccessibleName: the same words again (a second check finished)
    // must still be spoken, and not every Qt sends the event itself.
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    Q_EMIT announced(text);
}
