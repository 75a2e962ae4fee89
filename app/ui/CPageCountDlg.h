// The main window: the file list, the count button, the totals, the menu and the accelerators.
// A switchboard: every command arrives here by its id and is handed to the subsystem that owns it,
// which gets only what it needs of the window (SListHost).
#pragma once

#include "common/ui/CLongOperations.h"
#include "common/ui/ListHost.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>

class CFileListModel;
class CHyperLink;
class QCheckBox;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTableView;
class QUrl;

class CPageCountDlg : public QDialog, private IPagesTotal, private IListPath {
    Q_OBJECT
public:
    explicit CPageCountDlg(QWidget* pParent = nullptr, bool bShowSplash = true);
    ~CPageCountDlg() override;

    // Data exchange between the members and the controls: true reads the controls into the
    // members, false writes the totals to their fields. The sub-folder box is only ever read,
    // so writing the totals never undoes a tick.
    void UpdateData(bool bSaveAndValidate);

    // Appends the row for a file at the end of the list.
    void AppendFileRow(const QByteArray& path, bool bInUse);
    // Lists files named at start (a file manager's "Open With") exactly as dropped files are listed.
    void AddStartFiles(const QList<QByteArray>& paths);

    // Runs the handler of a command id; false when the id has none.
    bool OnCommand(int nId);
    // Every command id the window handles.
    static QList<int> CommandIds();

    CFileListModel* GetModel() const { return m_pModel; }
    QTableView* GetListView() const { return m_list; }
    QMenuBar* GetMenuBar() const { return m_pMenuBar; }
    QWidget* GetClient() const { return m_pClient; }
    CLongOperations& Operations() { return m_operations; }
    const SListHost& Host() const { return m_host; }

    int ItemsTotal() const { return m_nItems; }
    qint64 PagesTotal() const override { return m_nPages; }
    void SetPagesTotal(qint64 nPages) override;
    bool SubFolders() const { return m_bSubFolders != 0; }
    QByteArray ListPath() const override { return m_strListPath; }
    void SetListPath(const QByteArray& path) override { m_strListPath = path; }
    void UpdateListTitle() override;
    // True once the window has been ended; long operations stop at once.
    bool IsClosing() const { return m_operations.IsClosing(); }

    // Handlers, by the subsystem that owns them.
    void OnExit();
    void OnSysCommand();
    void OnCountFiles();
    void OnDropFiles(const QList<QUrl>& urls);
    void OnFileScanDirectories();
    void OpenSelected();
    void DeleteSelected();
    void SelectAll();
    void ClearAll();
    void ResetCountSelected();
    void ResetAllCounts();
    void MoveSelectedUp();
    void MoveSelectedDown();
    void ToggleUse();
    void ShowRowMenu();
    void RemoveNonTiffFiles();
    void SortByColumn(int nColumn);
    void OnSortByUse();
    void OnSortByFilename();
    void OnSortByFilesize();
    void OnSortByStatus();
    void OnSortByPageCount();
    void OnSortByCreated();
    void OnSortByModified();
    void OnFileLoadList();
    void OnFileAppendList();
    void OnFileSaveList();
    void OnFileSaveListAs();
    void OnHelpWebsite();
    void OnHelpEmail();
    void OnHelp();
    void OnReportsCsv();
    void OnReportsText();
    void OnReportsProfile();
    void OnReportsProfileWindow();
    void OnReportsSummary();
    void OnReportsAudit();
    void OnListInsertItem();
    void OnListDeleteItem();

signals:
    // Every command that reached its handler, by id (for accessibility tools and tests).
    void commandDispatched(int nId);

public slots:
    void accept() override;
    void done(int nResult) override;

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    void OnInitDialog();
    void BuildMenuBar();
    void SetupListView();
    void OnSize();
    void OnTimer(int nIdEvent);
    // Commands that must not start while a long operation runs are disabled meanwhile.
    void UpdateCommandStates();

    // Members bound to the controls, and the state of the window.
    QByteArray m_strListPath;
    int m_bSubFolders = 0;
    int m_nItems = 0;
    qint64 m_nPages = 0;

    CFileListModel* m_pModel = nullptr;
    QMenuBar* m_pMenuBar = nullptr;
    QWidget* m_pClient = nullptr;
    CHyperLink* m_linkWebsite = nullptr;
    QLineEdit* m_editPages = nullptr;
    QLineEdit* m_editItems = nullptr;
    QPushButton* m_btnClose = nullptr;
    QPushButton* m_btnCount = nullptr;
    QTableView* m_list = nullptr;
    QCheckBox* m_checkSubFolders = nullptr;

    CLongOperations m_operations;
    SListHost m_host;
    bool m_bShowSplash;
    int m_nSplashTimer = 0;
};
