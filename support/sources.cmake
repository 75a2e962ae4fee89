target_sources(pagewick_core PRIVATE
  support/core/Addresses.h
  support/core/FolderPath.h support/core/FolderPath.cpp
  support/core/LaunchErrors.h support/core/LaunchErrors.cpp
  support/core/BrowserFallback.h support/core/BrowserFallback.cpp
  support/core/SystemInfo.h support/core/SystemInfo.cpp
  support/core/SupportMail.h support/core/SupportMail.cpp
)
# The system report reads each platform's own sources; elsewhere it says what Qt knows.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  target_sources(pagewick_core PRIVATE support/core/SystemInfoLinux.cpp)
else()
  target_sources(pagewick_core PRIVATE support/core/SystemInfoOther.cpp)
endif()
target_sources(pagewick_ui PRIVATE
  support/ui/CHyperLink.h support/ui/CHyperLink.cpp
  support/ui/CFolderDialog.h support/ui/CFolderDialog.cpp
)
