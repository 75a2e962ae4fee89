target_sources(pagewick_core PRIVATE
  count/core/PageCounter.h count/core/PageCounter.cpp
  count/core/CountAhead.h count/core/CountAhead.cpp
  count/core/CountCommand.h count/core/CountCommand.cpp
  count/core/WorkerProcesses.h count/core/WorkerProcesses_posix.cpp
)
target_sources(pagewick_ui PRIVATE
  count/ui/CProcessingDlg.h count/ui/CProcessingDlg.cpp
  count/ui/CountRun.h count/ui/CountRun.cpp
)
