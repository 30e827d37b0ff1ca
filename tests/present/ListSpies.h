#pragma once

#include <QAbstractItemModelTester>
#include <QSignalSpy>

// Watches a list model: its contract checked on every change, and what it announced.
struct ListSpies {
    explicit ListSpies(QAbstractItemModel* model)
        : tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal)
        , changed(model, &QAbstractItemModel::dataChanged)
        , inserted(model, &QAbstractItemModel::rowsInserted)
        , removed(model, &QAbstractItemModel::rowsRemoved)
        , moved(model, &QAbstractItemModel::rowsMoved)
        , reset(model, &QAbstractItemModel::modelReset) {}

    // The rows that dataChanged named, in order; forgets them.
    QList<int> changedRows() {
        QList<int> rows;
        for (const QList<QVariant>& args : changed) {
            for (int r = args[0].toModelIndex().row(); r <= args[1].toModelIndex().row(); ++r)
                rows.append(r);
        }
        changed.clear();
        return rows;
    }

    QAbstractItemModelTester tester;
    QSignalSpy changed, inserted, removed, moved, reset;
};
