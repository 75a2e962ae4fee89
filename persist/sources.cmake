target_sources(pagewick_core PRIVATE
  persist/core/BlockWriter.h persist/core/BlockWriter.cpp
  persist/core/ReportWriter.h persist/core/ReportWriter.cpp
  persist/core/CsvReport.h persist/core/CsvReport.cpp
  persist/core/TextReport.h persist/core/TextReport.cpp
  persist/core/ProfileReport.h persist/core/ProfileReport.cpp
  persist/core/BillingReports.h persist/core/BillingReports.cpp
  persist/core/ReportFile.h persist/core/ReportFile.cpp
  persist/core/SaveTarget.h persist/core/SaveTarget.cpp
  persist/core/ListFile.h persist/core/ListFile.cpp
  persist/core/ListLoadJob.h persist/core/ListLoadJob.cpp
)
target_sources(pagewick_ui PRIVATE
  persist/ui/FileDialogs.h persist/ui/FileDialogs.cpp
  persist/ui/ListFiles.h persist/ui/ListFiles.cpp
  persist/ui/Reports.h persist/ui/Reports.cpp
  persist/ui/CPageProfileDlg.h persist/ui/CPageProfileDlg.cpp
)
# The Page Profile window prints.
find_package(Qt6 REQUIRED COMPONENTS PrintSupport)
target_link_libraries(pagewick_ui PUBLIC Qt6::PrintSupport)
