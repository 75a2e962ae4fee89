#include "CRowCursor.h"

#include <QAbstractItemModel>

CRowCursor::CRowCursor(QAbstractItemModel* pModel) : m_pModel(pModel)
{
    connect(pModel, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int nFirst, int nLast) {
        if (!parent.isValid() && nFirst < m_nNext)
            m_nNext += nLast - nFirst + 1;
    });
    connect(pModel, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex& parent, int nFirst, int nLast) {
        if (parent.isValid() || nFirst >= m_nNext)
            return;
        m_nNext = nLast < m_nNext ? m_nNext - (nLast - nFirst + 1) : nFirst;
    });
    // After a reset nothing is known of the old rows: the walk ends.
    connect(pModel, &QAbstractItemModel::modelReset, this, [this] { m_nNext = m_pModel->rowCount(); });
}
