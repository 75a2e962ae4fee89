// The main window: the file list, the count button, the totals, the menu and the accelerators.
// A switchboard: every command arrives here by its id and is handed to the subsystem that owns it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class CFileListModel;
class CHyperLink;
class CProcessingDlg;
class CScanDlg;
class QCheckBox;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QTableView;
class QUrl;

// The long operations, of which only one may run at a time.
enum class ELongOperation { None, CountRun, Scan, ListLoad, Filter };

class CPageCountDlg : public QDialog {
    Q_OBJECT
public:
    struct SCommandEntry {
        int nId;
        void (CPageCountDlg::*pfnHandler)();
        const char* pszHandler;
    };

    explicit CPageCountDlg(QWidget* pParent = nullptr, bool bShowSplash = true);
    ~CPageCountDlg() override;

    // Data exchange between the members and the controls: true reads the controls into the
    // members, false writes the totals to their fields. The sub-folder box is only ever read,
    // so writing the totals never undoes a tick.
    void UpdateData(bool bSaveAndValidate);

    // Appends the row for a file at the end of the list.
    void AppendFileRow(const QString& strPath, const QString& strUse);

    // Runs the handler of a command id; false when the id has none.
    bool OnCommand(int nId);
    static const SCommandEntry* CommandMap(int* pnCount);
    static QString HandlerName(int nId);

    // The long-operation guard (see CLongOperation): Begin fails while another one runs or the
    // window is closing.
    bool BeginLongOperation(ELongOperation eOperation);
    void EndLongOperation();
    ELongOperation CurrentLongOperation() const { return m_eLongOperation; }
    // True once the window has been ended; long operations stop at their next check.
    bool IsClosing() const { return m_bClosing; }

    CFileListModel* GetModel() const { return m_pModel; }
    QTableView* GetListView() const { return m_list; }
    QMenuBar* GetMenuBar() const { return m_pMenuBar; }
    QWidget* GetClient() const { return m_pClient; }

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
    void OnListInsertItem();
    void OnListDeleteItem();

    // Members bound to the controls, and the state of the window.
    QString m_strListPath;
    QPointer<CProcessingDlg> m_pProcessingDlg;
    QPointer<CScanDlg> m_pScanDlg;
    int m_bSubFolders = 0;
    int m_nItems = 0;
    qint64 m_nPages = 0;

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

    bool m_bShowSplash;
    int m_nSplashTimer = 0;
    bool m_bClosing = false;
    ELongOperation m_eLongOperation = ELongOperation::None;
};

// Holds the window's long operation for as long as it lives. When another one runs (or the window
// is closing) it does not start, and the user hears why nothing happens.
class CLongOperation {
public:
    CLongOperation(CPageCountDlg& dlg, ELongOperation eOperation);
    ~CLongOperation();
    CLongOperation(const CLongOperation&) = delete;
    CLongOperation& operator=(const CLongOperation&) = delete;

    bool Started() const { return m_bStarted; }

private:
    CPageCountDlg& m_dlg;
    bool m_bStarted;
};
