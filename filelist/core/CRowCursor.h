// A position in a list that moves with the rows: rows inserted or removed above it shift it, so
// a loop that walks the rows by index while the pump lets the user edit the list never skips a
// row it has not seen or visits one twice.
#pragma once

#include <QObject>

class QAbstractItemModel;

class CRowCursor : public QObject {
    Q_OBJECT
public:
    explicit CRowCursor(QAbstractItemModel* pModel);

    // The next row to visit; at or past the row count when the walk is done.
    int Next() const { return m_nNext; }
    void Advance() { ++m_nNext; }

private:
    QAbstractItemModel* m_pModel;
    int m_nNext = 0;
};
