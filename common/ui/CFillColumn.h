// One column of a table view takes the width that the others leave in the view, so that a wide
// window shows more of it instead of empty space. A column the user has sized by hand keeps the
// user's width. Each resize costs a sum of the column widths, never a pass over the rows.
#pragma once

#include <QObject>

class QTableView;

class CFillColumn : public QObject {
    Q_OBJECT
public:
    // The column is never narrower than nBaseWidth, its width before the window grew.
    CFillColumn(QTableView* pView, int nColumn, int nBaseWidth);

    bool UserSized() const { return m_bUserSized; }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void OnSectionResized(int nLogical);
    void Fill();

    QTableView* m_pView;
    QObject* m_pViewport;
    int m_nColumn;
    int m_nBaseWidth;
    bool m_bFilling = false;
    bool m_bUserSized = false;
};
