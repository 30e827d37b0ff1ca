#pragma once

#include "Theme.h"

#include <QStyledItemDelegate>

// Paints the activity list: day headers in small capitals, and rows with the time, a dot in
// the colour of the entry's kind and the message.
class ActivityDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kHeaderHeight = 34;
    static constexpr int kRowHeight = 26;

    explicit ActivityDelegate(Theme& theme, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    Theme& m_theme;
    QFont m_headerFont;
    QFont m_timeFont;
    QFont m_messageFont;
};
