#include "CFillColumn.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>

CFillColumn::CFillColumn(QTableView* pView, int nColumn, int nBaseWidth)
    : QObject(pView), m_pView(pView), m_pViewport(pView->viewport()), m_nColumn(nColumn), m_nBaseWidth(nBaseWidth)
{
    m_pViewport->installEventFilter(this);
    connect(pView->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int nLogical, int, int) { OnSectionResized(nLogical); });
    Fill();
}

bool CFillColumn::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // The viewport it was given, by its address: the view may be part way through its end, when
    // nothing of it may be called.
    if (pEvent->type() == QEvent::Resize && pWatched == m_pViewport)
        Fill();
    return QObject::eventFilter(pWatched, pEvent);
}

void CFillColumn::OnSectionResized(int nLogical)
{
    if (m_bFilling)
        return;
    if (nLogical == m_nColumn)
        m_bUserSized = true;    // the user's width stands from now on
    else
        Fill();                 // another column changed: this one takes up the difference
}

void CFillColumn::Fill()
{
    if (m_bUserSized)
        return;
    const QHeaderView* pHeader = m_pView->horizontalHeader();
    const int cxOthers = pHeader->length() - pHeader->sectionSize(m_nColumn);
    const int cx = std::max(m_nBaseWidth, m_pView->viewport()->width() - cxOthers);
    if (cx == pHeader->sectionSize(m_nColumn))
        return;
    m_bFilling = true;
    m_pView->setColumnWidth(m_nColumn, cx);
    m_bFilling = false;
}
