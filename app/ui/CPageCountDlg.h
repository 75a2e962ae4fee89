// The main window: the file list, the count button, the totals, the menus and the keys. A
// switchboard: every command is one action, connected straight to the function of the subsystem
// that owns it, which gets only what it needs of the window (SListHost).
#pragma once

#include "common/ui/CLongOperations.h"
#include "common/ui/CPacedCall.h"
#include "common/ui/ListHost.h"

#include <QByteArray>
#include <QDialog>
#include <QKeySequence>
#include <QList>

#include <functional>

class CFileListModel;
class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTableView;

class CPageCountDlg : public QDialog, private IListPath {
    Q_OBJECT
public:
    explicit CPageCountDlg(QWidget* pParent = nullptr, bool bShowSplash = true);
    ~CPageCountDlg() override;

    // Appends the row for a file at the end of the list.
    void AppendFileRow(const QByteArray& path, bool bInUse);
    // Lists files named at start (a file manager's "Open With") exactly as dropped files are listed.
    void AddStartFiles(const QList<QByteArray>& paths);

    CFileListModel* GetModel() const { return m_pModel; }
    QTableView* GetListView() const { return m_list; }
    CLongOperations& Operations() { return m_operations; }
    const SListHost& Host() const { return m_host; }

    int ItemsTotal() const;
    qint64 PagesTotal() const;
    // The worker processes the window's file work goes to (tests give ones of their own).
    void SetFileWork(IFileWork* pWork) { m_host.pWork = pWork; }
    // The sub-folder box as the user left it.
    bool SubFolders() const;
    QByteArray ListPath() const override { return m_strListPath; }
    void SetListPath(const QByteArray& path) override { m_strListPath = path; }
    void UpdateListTitle() override;
    // True once the window has been ended; long operations stop at once.
    bool IsClosing() const { return m_operations.IsClosing(); }

public slots:
    void done(int nResult) override;

protected:
    void changeEvent(QEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    // A command: its action, with object name, text, status tip and shortcut, runs run.
    QAction* AddCommand(const char* pszName, const char* pszText, const char* pszStatusTip,
                        const std::function<void()>& run, const QKeySequence& shortcut = QKeySequence());
    void BuildMenus();
    void BuildControls();
    void SetupListView();
    // The sizes that follow the font: the list's rows and the totals' fields.
    void FollowFont();
    void ShowTotals();
    // During a long operation the totals change with every row: they are shown at the screen's pace.
    void ShowTotalsSoon();

    QByteArray m_strListPath;

    CFileListModel* m_pModel = nullptr;
    QMenuBar* m_pMenuBar = nullptr;
    QMenu* m_pRowMenu = nullptr;
    QTableView* m_list = nullptr;
    QCheckBox* m_checkSubFolders = nullptr;
    QPushButton* m_btnCount = nullptr;
    QPushButton* m_btnClose = nullptr;
    QLineEdit* m_editItems = nullptr;
    QLineEdit* m_editPages = nullptr;

    CLongOperations m_operations;
    CPacedCall m_showTotals{[this] { ShowTotals(); }, this};
    SListHost m_host;
    int m_nSplashTimer = 0;
};
