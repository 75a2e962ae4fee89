target_sources(pagewick_ui PRIVATE
  common/ui/AppMessageBox.h common/ui/AppMessageBox.cpp
  common/ui/DialogBuilder.h common/ui/DialogBuilder.cpp
  common/ui/CStopDlg.h common/ui/CStopDlg.cpp
)
