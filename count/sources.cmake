target_sources(pagewick_core PRIVATE
  count/core/PageCounter.h count/core/PageCounter.cpp
  count/core/PageTags.h count/core/PageTags.cpp
  count/cli/CountOptions.h count/cli/CountOptions.cpp
  count/cli/CountCommand.h count/cli/CountCommand.cpp
  count/cli/FileResult.h count/cli/FileResult.cpp
  count/cli/CliStreams.h count/cli/CliStreams_posix.cpp
  count/cli/WorkerProcesses.h count/cli/WorkerProcesses_posix.cpp
)
target_sources(pagewick_ui PRIVATE
  count/ui/CProcessingDlg.h count/ui/CProcessingDlg.cpp
  count/ui/CountRun.h count/ui/CountRun.cpp
)
