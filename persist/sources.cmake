target_sources(pagewick_core PRIVATE
  persist/core/CsvReport.h persist/core/CsvReport.cpp
)
