target_sources(pagewick_core PRIVATE
  app/core/MainLayout.h app/core/MainLayout.cpp
)
target_sources(pagewick_ui PRIVATE
  app/ui/CPageCountApp.h app/ui/CPageCountApp.cpp
  app/ui/CPageCountDlg.h app/ui/CPageCountDlg.cpp
  app/ui/CSplashDlg.h app/ui/CSplashDlg.cpp
)
