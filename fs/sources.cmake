target_sources(pagewick_core PRIVATE
  fs/FileFacts.h fs/FileFacts_posix.cpp
  fs/FileProblem.h fs/FileProblem_posix.cpp
  fs/DirectoryWalker.h fs/DirectoryWalker_posix.cpp
  fs/FileRequests.h fs/FileRequests.cpp
)
