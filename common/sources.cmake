target_sources(pagewick_core PRIVATE
  common/core/FileName.h common/core/FileName.cpp
  common/core/TaskPool.h common/core/TaskPool.cpp
  common/core/FileWork.h
  common/core/Job.h common/core/Job.cpp
)
target_sources(pagewick_ui PRIVATE
  common/ui/AppMessageBox.h common/ui/AppMessageBox.cpp
  common/ui/CStopDlg.h common/ui/CStopDlg.cpp
  common/ui/CProcessingDlg.h common/ui/CProcessingDlg.cpp
  common/ui/CLongOperations.h common/ui/CLongOperations.cpp
  common/ui/CPacedCall.h common/ui/CPacedCall.cpp
  common/ui/CJobRun.h common/ui/CJobRun.cpp
  common/ui/ListHost.h
  common/ui/CFillColumn.h common/ui/CFillColumn.cpp
)
