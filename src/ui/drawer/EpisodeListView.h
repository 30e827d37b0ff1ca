#pragma once

#include "EpisodeRowDelegate.h"

#include <QListView>

class Theme;

// The drawer's episode list: arrows move between episodes (over the offer panel), Enter and
// Space press the current row's state button, a click on the button presses it, and the
// mouse over it lights it and shows why the row says what it says.
class EpisodeListView final : public QListView {
    Q_OBJECT

public:
    using Part = EpisodeRowDelegate::Part;

    explicit EpisodeListView(Theme& theme, QWidget* parent = nullptr);

    EpisodeRowDelegate* rowDelegate() const { return m_delegate; }
    // Where a part of a row is, in the viewport's coordinates.
    QRect partRect(const QModelIndex& index, Part part) const;

Q_SIGNALS:
    void episodePressed(const QString& code);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    Part partAt(const QModelIndex& index, QPoint pos) const;
    void press(const QModelIndex& index);
    void setHover(const QModelIndex& index, Part part);

    EpisodeRowDelegate* m_delegate;
};
