target_sources(pagewick_core PRIVATE
  app/core/CommandLine.h app/core/CommandLine.cpp app/core/CommandLine_posix.cpp
)
target_sources(pagewick_ui PRIVATE
  app/ui/CPageCountApp.h app/ui/CPageCountApp.cpp
  app/ui/CPageCountDlg.h app/ui/CPageCountDlg.cpp
  app/ui/CSplashDlg.h app/ui/CSplashDlg.cpp
)
