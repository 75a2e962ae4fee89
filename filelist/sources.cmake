target_sources(pagewick_core PRIVATE
  filelist/core/FileRecord.h filelist/core/FileRecord.cpp
  filelist/core/CFileListModel.h filelist/core/CFileListModel.cpp
  filelist/core/ScanJob.h filelist/core/ScanJob.cpp
  filelist/core/FilterJob.h filelist/core/FilterJob.cpp
  filelist/core/AddFilesJob.h filelist/core/AddFilesJob.cpp
  filelist/core/SortOrder.h filelist/core/SortOrder.cpp
)
target_sources(pagewick_ui PRIVATE
  filelist/ui/AddFiles.h filelist/ui/AddFiles.cpp
  filelist/ui/CScanDlg.h filelist/ui/CScanDlg.cpp
  filelist/ui/CFileListDelegate.h filelist/ui/CFileListDelegate.cpp
  filelist/ui/EditCommands.h filelist/ui/EditCommands.cpp
)
