#pragma once

#include "Theme.h"

#include <QStyledItemDelegate>

// Paints the activity list: day headers in small capitals, and rows with the time, a symbol in
// the colour of the entry's kind and the whole message, wrapped to the width of the list.
class ActivityDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kHeaderHeight = 34;
    static constexpr int kRowHeight = 26;

    explicit ActivityDelegate(Theme& theme, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Where the message of a row drawn in `row` goes.
    static QRect messageRect(const QRect& row);

private:
    Theme& m_theme;
    QFont m_headerFont;
    QFont m_timeFont;
    QFont m_messageFont;
};
