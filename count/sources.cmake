target_sources(pagewick_core PRIVATE
  count/core/FileResult.h count/core/FileResult.cpp
  count/core/WorkerProcesses.h count/core/WorkerProcesses_posix.cpp
  count/core/FileRequests.h count/core/FileRequests.cpp
  count/core/FileEngine.h count/core/FileEngine.cpp
  count/core/CountJob.h count/core/CountJob.cpp
)
# The command line is a library of its own: pagewick-count and its tests link it, the window does not.
add_library(pagewick_cli STATIC
  count/cli/CountOptions.h count/cli/CountOptions.cpp
  count/cli/CountCommand.h count/cli/CountCommand.cpp
  count/cli/CliStreams.h count/cli/CliStreams_posix.cpp
  count/cli/ListCount.h count/cli/ListCount.cpp
)
target_link_libraries(pagewick_cli PUBLIC pagewick_core)
target_sources(pagewick_ui PRIVATE
  count/ui/CountRun.h count/ui/CountRun.cpp
)
