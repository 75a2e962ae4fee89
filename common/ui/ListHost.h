// What a subsystem's commands may use of the main window: the list (with its pages total), its view
// (for the selection), the owner of boxes, the long-operation guard, the list path and the worker
// processes that do the file work. Nothing else of the window is reachable from a subsystem.
#pragma once

#include <QByteArray>
#include <QtGlobal>

class CFileListModel;
class CLongOperations;
class IFileWork;
class QTableView;
class QWidget;

// The window's current list file: its path, and the title that shows it.
class IListPath {
public:
    virtual ~IListPath() = default;
    virtual QByteArray ListPath() const = 0;
    // Changes the path only; the title follows when UpdateListTitle is called.
    virtual void SetListPath(const QByteArray& path) = 0;
    // The title becomes "Pagewick v1.02  [" + the path + "]".
    virtual void UpdateListTitle() = 0;
};

struct SListHost {
    CFileListModel* pModel = nullptr;
    QTableView* pView = nullptr;
    QWidget* pOwner = nullptr;
    CLongOperations* pOperations = nullptr;
    IListPath* pListPath = nullptr;
    IFileWork* pWork = nullptr;
};
