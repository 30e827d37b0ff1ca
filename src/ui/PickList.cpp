#include "PickList.h"

PickList::PickList(QWidget* parent)
    : QListView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void PickList::setModel(QAbstractItemModel* model) {
    QListView::setModel(model);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (selected.indexes().isEmpty())
                    return;
                const int row = selected.indexes().constFirst().row();
                // Nothing stays selected, so the same row can be picked again.
                selectionModel()->clearSelection();
                Q_EMIT picked(row);
            });
}

QItemSelectionModel::SelectionFlags PickList::selectionCommand(const QModelIndex&,
                                                               const QEvent*) const {
    return QItemSelectionModel::NoUpdate;
}
