#pragma once

#include <QListView>

// A list whose rows are picked, never held selected: a click or Enter picks through the view's
// own signals, and a screen reader's or test tool's "select" on a row (AT-SPI) picks it too,
// instead of doing nothing as it does on a list without selection.
class PickList final : public QListView {
    Q_OBJECT

public:
    explicit PickList(QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;

Q_SIGNALS:
    void picked(int row);

protected:
    // The mouse and the keys never select; only a direct select (assistive tools) does.
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
};
