target_sources(pagewick_core PRIVATE
  filelist/core/FileRecord.h filelist/core/FileRecord.cpp
  filelist/core/PageProfile.h filelist/core/PageProfile.cpp
  filelist/core/FileFacts.h filelist/core/FileFacts_posix.cpp
  filelist/core/CFileListModel.h filelist/core/CFileListModel.cpp
  filelist/core/DirectoryWalker.h filelist/core/DirectoryWalker_posix.cpp
  filelist/core/RowBatches.h filelist/core/RowBatches.cpp
  filelist/core/ScanJob.h filelist/core/ScanJob.cpp
  filelist/core/SortOrder.h filelist/core/SortOrder.cpp
)
target_sources(pagewick_ui PRIVATE
  filelist/ui/AddFiles.h filelist/ui/AddFiles.cpp
  filelist/ui/CScanDlg.h filelist/ui/CScanDlg.cpp
  filelist/ui/CFileListDelegate.h filelist/ui/CFileListDelegate.cpp
  filelist/ui/EditCommands.h filelist/ui/EditCommands.cpp
)
