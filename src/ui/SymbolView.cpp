#include "SymbolView.h"

#include <QPainter>

SymbolView::SymbolView(Theme& theme, const QString& name, Theme::Role role, int size,
                       QWidget* parent)
    : QWidget(parent)
    , m_theme(theme)
    , m_name(name)
    , m_role(role) {
    setFixedSize(size, size);
    connect(&m_theme, &Theme::changed, this, qOverload<>(&QWidget::update));
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    m_theme.symbol(m_name, m_role).paint(&p, rect());
}
